// The record layer on its own: records written to a string and read back, each case with what
// the reader told its reporter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "etb/EtbRecordReader.h"
#include "etb/RecordRules.h"

namespace {

using etb::EtbRecord;
using etb::EtbText;

// A string's lines, each handed out as a writable copy, as a host's line reader hands them out.
class StringLines final : public etb::LineSource {
 public:
  explicit StringLines(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines_.push_back(line);
  }
  char* NextLine() override {
    if (next_ == lines_.size()) return nullptr;
    current_ = lines_[next_++];
    return current_.data();
  }

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  std::string current_;
};

std::string Text(const EtbText& text) {
  return text.absent() ? "-" : std::string(text.data, text.size);
}

// What the reader tells, in order, as text.
class Told final : public etb::RecordReporter {
 public:
  void FirstColumns(const EtbRecord& record) override {
    said += "first(" + Text(record.componentIdText) + ")";
  }
  void CommentLines(const std::string& continuation) override {
    said += "comment(" +
            std::to_string(std::count(continuation.begin(), continuation.end(), '\n')) + ")";
  }
  void NoRecord(int separators) override { said += "none(" + std::to_string(separators) + ")"; }
  std::string said;
};

// Uppercases a text, to show which columns pass through the converter.
class Upper final : public etb::TextConverter {
 public:
  void Convert(const std::string& bytes, std::string& out) override {
    out = bytes;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return char(std::toupper(c)); });
  }
};

// Columns joined by the separator, as a writer of the format writes a record.
std::string Record(const std::vector<std::string>& columns) {
  std::string line;
  for (const std::string& column : columns) line += (line.empty() ? "" : etb::kSeparator) + column;
  return line + "\n";
}

std::string Describe(const EtbRecord& r) {
  return std::to_string(r.componentId) + "|" + Text(r.componentName) + "|" + Text(r.propertyName) +
         "|" + Text(r.propertyValue) + "|" + Text(r.name) + "|" + Text(r.file) + "|" +
         std::to_string(r.annotationType) + "|" + std::to_string(r.accessState) + "|" +
         std::to_string(r.secondState) + "|" + r.comment + "|" + Text(r.extraText1) + "|" +
         Text(r.extraText2) + (r.columnsLeft ? "|more" : "");
}

TEST(RecordReader, ReadsBackWhatWasWrittenAndTellsWhatItMadeOfIt) {
  const std::vector<std::string> head = {"1", "a", "b", "c", "d", "f", "0"};
  const auto with = [&head](std::vector<std::string> rest) {
    std::vector<std::string> columns = head;
    columns.insert(columns.end(), rest.begin(), rest.end());
    return Record(columns);
  };
  const struct {
    const char* name;
    std::string text;
    bool convert;
    std::vector<std::string> records;
    std::string told;
  } cases[] = {
      {"every column",
       with({"0 note", "2", "x1", "x2"}),
       false,
       {"1|a|b|c|d|f|0|0|2|note|x1|x2"},
       "first(1)"},
      {"a text column missing", Record({"5", "a", "b"}), false, {}, "none(2)"},
      {"no column 7", Record({"5", "a", "b", "c", "d", "f"}), false, {}, "first(5)none(5)"},
      {"a comment over two more lines, then column 9",
       with({"0 one"}) + "two\nthree" + etb::kSeparator + "2\n" + with({}),
       false,
       {"1|a|b|c|d|f|0|0|2|one\ntwo\nthree|-|-", "1|a|b|c|d|f|0|0|0||-|-"},
       "first(1)comment(2)first(1)"},
      {"a comment that swallows a record",
       with({"0 one"}) + with({}),
       false,
       {"1|a|b|c|d|f|0|0|0|one\n1|b|c|more"},
       "first(1)comment(1)"},
      {"columns past the eleventh",
       with({"0", "0", "x1", "x2", "x3"}),
       false,
       {"1|a|b|c|d|f|0|0|0||x1|x2|more"},
       "first(1)"},
      {"converted texts outlive the comment's lines; the comment is never converted",
       with({"0 one"}) + "two" + etb::kSeparator + "0" + etb::kSeparator + "x\n",
       true,
       {"1|A|B|C|D|F|0|0|0|one\ntwo|X|-"},
       "first(1)comment(1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StringLines lines(c.text);
    Told told;
    Upper upper;
    etb::EtbRecordReader reader(c.convert ? &upper : nullptr, &told);
    std::vector<std::string> read;
    while (char* line = lines.NextLine()) {
      EtbRecord record;
      if (reader.ReadRecord(line, lines, record) && etb::HasAllColumns(record)) {
        read.push_back(Describe(record));
      }
    }
    EXPECT_EQ(read, c.records);
    EXPECT_EQ(told.said, c.told);
  }
}

}  // namespace
