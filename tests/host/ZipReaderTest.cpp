// The stand-in's zip reader: the limits that keep a hostile archive from filling the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "ScratchDir.h"
#include "ZipFiles.h"
#include "du/ZipReader.h"
#include "standin/InputLimits.h"
#include "standin/TraceCapture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteZip;
using testing_support::ZipMember;

// `pattern` with at most one "*", which stands for any run of characters.
bool Matches(const std::string& text, const std::string& pattern) {
  const std::size_t star = pattern.find('*');
  if (star == std::string::npos) return text == pattern;
  const std::size_t tail = pattern.size() - star - 1;
  return text.size() >= star + tail && text.compare(0, star, pattern, 0, star) == 0 &&
         text.compare(text.size() - tail, tail, pattern, star + 1, tail) == 0;
}

// Each reader extracts members in order until a limit refuses one; a refused member leaves
// nothing behind, not even its folder, and the trace says which member and why.
TEST(ZipReaderBudget, RefusesMembersPastTheBudgetTheRatioOrTheFreeSpace) {
  const auto defaults = [budget = standin::GetZipExtractBudget(),
                         ratio = standin::GetZipCompressionRatioLimit(),
                         margin = standin::GetZipFreeSpaceMargin()] {
    standin::SetZipExtractBudget(budget);
    standin::SetZipCompressionRatioLimit(ratio);
    standin::SetZipFreeSpaceMargin(margin);
  };
  std::mt19937 random(3);
  std::string text;  // packs to less than 2 to 1
  for (int i = 0; i < (2 << 20); ++i) text += char('a' + random() % 26);
  const std::string zeros(2 << 20, '\0'), floor(1 << 20, '\0');
  struct Case {
    std::function<void()> limit;
    std::vector<ZipMember> members;
    std::vector<std::string> extracted;
    std::vector<std::string> traces;  // "*" stands for a number or a path
  };
  const Case cases[] = {
      {[] { standin::SetZipExtractBudget(14); },
       {{"m0.etb", "0000"},
        {"m1.etb", "1111"},
        {"m2.etb", "2222"},
        {"m3.etb", "33333333"},
        {"m4.etb", "44"},
        {"m5.etb", "5"}},
       {"m0.etb", "m1.etb", "m2.etb", "m4.etb"},
       {"m3.etb: extracting it would pass the archive's budget of 14 bytes",
        "m5.etb: extracting it would pass the archive's budget of 14 bytes"}},
      // Zeros pack to about 1030 to 1: within twice the limit, so the limit must be exact.
      {[] { standin::SetZipCompressionRatioLimit(700); },
       {{"zeros.etb", zeros}, {"text.etb", text}, {"floor.etb", floor}},
       {"floor.etb", "text.etb"},
       {"zeros.etb: 2097152 bytes from * compressed, more than 700 to 1"}},
      {[] { standin::SetZipFreeSpaceMargin(~std::uint64_t{0}); },
       {{"sub/x.etb", "x"}},
       {},
       {"sub/x.etb: would leave less than 18446744073709551615 bytes free in */out"}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    ScratchDir dir;
    const std::string archive = dir.path() + "/a.zip", out = dir.path() + "/out";
    WriteZip(archive, c.members);
    fs::create_directories(out);
    defaults();
    c.limit();
    standin::TraceCapture capture;
    du::ZipReader reader(archive);
    for (const ZipMember& member : c.members) {
      const bool wanted = std::count(c.extracted.begin(), c.extracted.end(), member.name) > 0;
      EXPECT_EQ(reader.Extract(member.name, out + "/" + member.name), wanted) << member.name;
      if (wanted) {
        EXPECT_EQ(ReadFile(out + "/" + member.name), member.content);
      }
    }
    std::vector<std::string> written;
    for (const auto& item : fs::recursive_directory_iterator(out)) {
      written.push_back(fs::relative(item.path(), out).string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, c.extracted);
    const std::vector<standin::TraceLine> traces = capture.Lines();
    EXPECT_EQ(traces.size(), c.traces.size());
    for (std::size_t t = 0; t < std::min(traces.size(), c.traces.size()); ++t) {
      EXPECT_EQ(traces[t].tracer, "du::ZipReader");
      EXPECT_TRUE(Matches(traces[t].text, c.traces[t])) << traces[t].text;
    }
  }
  // The budget is each reader's own.
  defaults();
  standin::SetZipExtractBudget(10);
  ScratchDir dir;
  const std::string archive = dir.path() + "/a.zip";
  WriteZip(archive, {{"m.etb", std::string(10, 'm')}});
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(du::ZipReader(archive).Extract("m.etb", dir.path() + "/m.etb"));
  }
  defaults();
}

}  // namespace
