#include "OutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace etbtool {

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {
  const std::size_t slash = target_.rfind('/');
  temporary_ = (slash == std::string::npos ? "" : target_.substr(0, slash + 1)) + ".etbtool-XXXXXX";
  const int descriptor = ::mkstemp(temporary_.data());
  if (descriptor < 0) {
    error_ = target_ + ": " + std::strerror(errno);
    temporary_.clear();
    return;
  }
  stream_ = ::fdopen(descriptor, "wb");
  if (stream_ == nullptr) ::close(descriptor);
}

OutputFile::~OutputFile() {
  if (stream_ != nullptr) std::fclose(stream_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputFile::Commit() {
  if (stream_ == nullptr) return false;
  const bool written =
      std::fflush(stream_) == 0 && std::ferror(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
  const int savedErrno = errno;
  std::fclose(stream_);
  stream_ = nullptr;
  if (!written || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error_ = target_ + ": " + std::strerror(written ? errno : savedErrno);
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace etbtool
