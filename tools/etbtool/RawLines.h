#pragma once

#include <cstdio>
#include <string>

namespace etbtool {

// A file's lines as bytes, split at line feeds only: what the host's line reader hides (carriage
// returns, NUL bytes and what follows them) stays in. A last line without line feed counts; an
// empty end after the last line feed does not, as for the host's reader. One line is held at a
// time.
class RawLines {
 public:
  // Reads the open descriptor `fd`, and closes it when done.
  explicit RawLines(int fd);
  RawLines(const RawLines&) = delete;
  RawLines& operator=(const RawLines&) = delete;
  ~RawLines();

  bool IsOpen() const { return file_ != nullptr; }
  // False at end of file (or on a read error, which the host's reader reports on its own).
  bool Next();
  const std::string& Line() const { return line_; }

 private:
  std::FILE* file_;
  std::string line_;
  char block_[1 << 16];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace etbtool
