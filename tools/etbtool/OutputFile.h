#pragma once

#include <cstdio>
#include <string>

namespace etbtool {

// A file written beside its target and moved over it only when complete, so that a failure
// leaves an existing target as it was.
class OutputFile {
 public:
  explicit OutputFile(std::string target);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();  // without Commit, the partial file goes

  // Null when the temporary file could not be made (see error()).
  std::FILE* stream() const { return stream_; }
  // Flushes, syncs and renames over the target; false with error() on any failure.
  bool Commit();
  const std::string& error() const { return error_; }

 private:
  std::string target_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
  std::string error_;
};

}  // namespace etbtool
