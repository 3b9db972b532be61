#include <gtest/gtest.h>

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
  const std::string longLine(10 * 1024 * 1024, 'x');  // runs over many read blocks
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}},
      {"\r\n\nabc", {"", "", "abc"}},  // a CR alone on the first line
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc\r", {"a\rb", "c"}},  // a CR inside a line stays, one at the end goes
      {"a\r\r\nb\r\r", {"a", "b"}},
      {longLine + "\n" + longLine, {longLine, longLine}},
      {std::string("a\0b\nc\r\0d", 8), {"a", "c"}},  // a NUL ends the C string
      // A last line without line feed that fills the block makes it grow at end of file.
      {std::string(65535, 'b'), {std::string(65535, 'b')}},
      {std::string(131071, 'c'), {std::string(131071, 'c')}},
  };
  ScratchDir dir;
  for (const auto& [bytes, lines] : cases) {
    SCOPED_TRACE(bytes.substr(0, 20));
    EXPECT_EQ(ReadLines(dir.Write("lines.txt", bytes)), lines);
  }
}

TEST(LineReader, TheFaultSwitchThrowsABoolOnTheChosenLine) {
  ScratchDir dir;
  du::FileReader reader;
  EXPECT_FALSE(reader.Open(dir.path(), 0, 8192)) << "a folder is no file";
  ASSERT_TRUE(reader.Open(dir.Write("four.txt", "1\n2\n3\n4\n"), 0, 8192));
  standin::ThrowOnLine(3);
  du::LineReader lines(&reader, 0);
  EXPECT_TRUE(lines.ReadLine());
  EXPECT_TRUE(lines.ReadLine());
  EXPECT_THROW(lines.ReadLine(), bool);
  standin::ThrowOnLine(0);
}

}  // namespace
