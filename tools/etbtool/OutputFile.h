#pragma once

#include <cstdio>
#include <ostream>
#include <string>

#include "standin/ReplacedFile.h"

namespace etbtool {

// The file a command writes, the way the host writes its own (standin::ReplacedFile): whole or
// not at all, through links, keeping the target's permissions, on the disk before it counts.
class OutputFile {
 public:
  explicit OutputFile(const std::string& target);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Null when the new file could not be made.
  std::FILE* stream() const { return stream_; }
  // False with the reason from standin::TakeFileFailure on any failure.
  bool Commit();

 private:
  standin::ReplacedFile file_;
  std::FILE* stream_ = nullptr;
};

// Whether two paths name one file (links followed); false when either does not exist.
bool IsSameFile(const std::string& a, const std::string& b);

// Why writing `target` failed, from what the host noted, as one line on `err`: "etbtool: cannot
// save t.etb: No space left on device", naming the file the failing step worked on when it is
// another (a backup, a temporary file).
void PrintWriteFailure(const char* verb, const std::string& target, std::ostream& err);

}  // namespace etbtool
