#include <gtest/gtest.h>
#include <unistd.h>

#include "ScratchDir.h"
#include "du/FileReader.h"
#include "du/LineReader.h"
#include "standin/LineFaults.h"

namespace {

using testing_support::ScratchDir;

std::vector<std::string> ReadLines(const std::string& path) {
  du::FileReader reader;
  EXPECT_TRUE(reader.Open(path, 0, 8192));
  du::LineReader lines(&reader, 0);
  std::vector<std::string> read;
  while (lines.ReadLine()) {
    char* buffer = lines.GetBuffer();
    read.emplace_back(buffer);
    buffer[0] = '#';  // the buffer is the caller's to overwrite
  }
  EXPECT_FALSE(lines.ReadLine()) << "end of file stays the end";
  return read;
}

TEST(LineReader, SplitsAtLineFeedsAndDropsACarriageReturnBeforeOne) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::string longLine(200 * 1024, 'x');  // runs over several read blocks
  const Case cases[] = {
      {"empty file", "", {}},
      {"one line without line feed", "abc", {"abc"}},
      {"empty lines", "\n\n", {"", ""}},
      {"CRLF", "a\r\nb\r\n", {"a", "b"}},
      {"a CR inside a line stays, one at the end goes", "a\rb\nc\r", {"a\rb", "c"}},
      {"every CR before the end goes", "a\r\r\nb\r\r", {"a", "b"}},
      {"a CR alone on its line", "\r\nx", {"", "x"}},
      {"long lines", longLine + "\n" + longLine, {longLine, longLine}},
      {"NUL inside a line ends the C string", std::string("a\0b\nc", 5), {"a", "c"}},
      {"and the CRs before it go", std::string("a\r\0b\r\n", 6), {"a"}},
      // A last line without line feed that fills the block makes it grow at end of file.
      {"a last line one short of the block", std::string(65535, 'b'), {std::string(65535, 'b')}},
      {"a last line one short of the grown block",
       std::string(131071, 'c'),
       {std::string(131071, 'c')}},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadLines(dir.Write("lines.txt", c.bytes)), c.lines);
  }
}

TEST(LineReader, ReadsATenMegabyteLineWhole) {
  ScratchDir dir;
  const std::string huge(10 * 1024 * 1024, 'y');
  const std::vector<std::string> lines = ReadLines(dir.Write("huge.txt", "a\n" + huge + "\nb"));
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[1].size(), huge.size());
  EXPECT_EQ(lines[2], "b");
}

TEST(LineReader, TheFaultSwitchThrowsABoolOnTheChosenLine) {
  ScratchDir dir;
  du::FileReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("three.txt", "1\n2\n3\n4\n"), 0, 8192));
  standin::ThrowOnLine(3);
  du::LineReader lines(&reader, 0);
  EXPECT_TRUE(lines.ReadLine());
  EXPECT_TRUE(lines.ReadLine());
  EXPECT_THROW(lines.ReadLine(), bool);
  standin::ThrowOnLine(0);
}

TEST(FileReader, RefusesWhatIsNoReadableRegularFile) {
  ScratchDir dir;
  du::FileReader reader;
  EXPECT_FALSE(reader.Open(du::Symbol(), 0, 8192));
  EXPECT_FALSE(reader.Open(dir.path() + "/missing", 0, 8192));
  EXPECT_FALSE(reader.Open(dir.path(), 0, 8192)) << "a directory";
  EXPECT_FALSE(reader.Open("/dev/null", 0, 8192)) << "a device";
  const std::string locked = dir.Write("locked.etb", "x\n");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  if (::geteuid() != 0) {  // root reads anything
    EXPECT_FALSE(reader.Open(locked, 0, 8192));
  }
  EXPECT_FALSE(reader.Close()) << "nothing is open";
  EXPECT_TRUE(reader.Open(dir.Write("ok.etb", "x\n"), 0, 8192));
  EXPECT_TRUE(reader.Close());
  EXPECT_EQ(reader.Read(nullptr, 0), 0U) << "closed readers read nothing";
}

}  // namespace
