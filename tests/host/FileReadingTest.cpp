#include <gtest/gtest.h>

#include <cerrno>

#include "Fifo.h"
#include "ScratchDir.h"
#include "du/FileReader.h"
#include "du/FileSystem.h"
#include "du/LineReader.h"
#include "du/ZipReader.h"
#include "standin/InputLimits.h"
#include "standin/LineFaults.h"
#include "standin/PreferenceStore.h"
#include "standin/TraceCapture.h"

namespace {

using testing_support::DoneWithoutAWriter;
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

// No reader of the host waits for a FIFO's writer: each refuses it at once, as it refuses a
// folder, and says why where it can.
TEST(HostReaders, RefuseAFifoOrAFolderAtOnce) {
  ScratchDir dir;
  const std::string fifo = dir.path() + "/fifo";
  for (const std::string& path : {fifo, dir.path()}) {
    SCOPED_TRACE(path);
    const auto readAll = [&] {
      du::FileReader reader;
      EXPECT_FALSE(reader.Open(path, 0, 8192));
      std::vector<std::string> names;
      EXPECT_FALSE(du::ZipReader(path).ListContents(names));
      errno = 0;
      EXPECT_FALSE(du::FileSystem::CopyFile(path, dir.path() + "/copy"));
      EXPECT_EQ(errno, path == fifo ? EINVAL : EISDIR);
      EXPECT_EQ(standin::UsePreferenceStore(path),
                path == fifo ? "not a regular file (a FIFO)" : "is a directory");
    };
    EXPECT_TRUE(DoneWithoutAWriter(fifo, readAll)) << "a read waited for a writer";
  }
}

// A line over the limit ends the reading like a read error, after the lines before it, and the
// host says which line; a line of exactly the limit still passes. Limits above the read block
// make the refusal come while the line is still being gathered.
TEST(LineReader, RefusesALineOverTheLimitAndSaysWhichOne) {
  struct Case {
    std::size_t limit;
    std::string bytes;
    std::vector<std::string> before;  // the lines handed out before the refusal
  };
  const std::size_t big = 200000;  // over three read blocks
  const Case cases[] = {
      {4, "abcd\nabcde\nx\n", {"abcd"}},
      {4, "ab\r\ncd\nabcdef", {"ab", "cd"}},  // the last line, without line feed
      {big,
       std::string(big, 'a') + "\n" + std::string(big + 1, 'b') + "\n",
       {std::string(big, 'a')}},
      {big, std::string(10 * big, 'c'), {}},  // an endless line is never held whole
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    standin::SetLineLengthLimit(c.limit);
    du::FileReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("long.txt", c.bytes), 0, 8192));
    standin::TraceCapture capture;
    du::LineReader lines(&reader, 0);
    std::vector<std::string> read;
    EXPECT_THROW(while (lines.ReadLine()) read.emplace_back(lines.GetBuffer()), bool);
    EXPECT_EQ(read, c.before);
    const std::vector<standin::TraceLine> traces = capture.Lines();
    ASSERT_EQ(traces.size(), 1U);
    EXPECT_EQ(traces[0].tracer, "du::LineReader");
    EXPECT_EQ(traces[0].text, "line " + std::to_string(c.before.size() + 1) + " is longer than " +
                                  std::to_string(c.limit) + " bytes: reading stops there");
  }
  standin::SetLineLengthLimit(std::size_t{256} << 20);
  EXPECT_EQ(ReadLines(dir.Write("short.txt", "abcde\n")), std::vector<std::string>{"abcde"});
}

}  // namespace
