#pragma once

#include <cstddef>
#include <vector>

#include "du/HostApi.h"

namespace du {

class FileReader;

// Splits an open file into lines. Each line is handed out without its line feed and without the
// carriage returns right before it (or before the end of the file), NUL-terminated, in a buffer
// the caller may overwrite in place until the next ReadLine. A read error, or a line longer than
// the host's limit, throws a bool.
class ZN_HOST_API LineReader {
 public:
  // `mode` is a hint and is not used by this host.
  LineReader(FileReader* reader, int mode);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  // False at end of file.
  bool ReadLine();
  // The current line; valid until the next ReadLine.
  char* GetBuffer() noexcept;

 private:
  bool FillMore();
  [[noreturn]] void RefuseLongLine();

  FileReader* reader_;
  std::vector<char> block_;
  std::size_t begin_ = 0;    // first byte not yet handed out
  std::size_t end_ = 0;      // end of the bytes read so far
  std::size_t scanned_ = 0;  // bytes from begin_ known to hold no line feed
  bool atEnd_ = false;
  char* line_ = nullptr;
  long linesRead_ = 0;
};

}  // namespace du
