#include "RawLines.h"

#include <unistd.h>

#include <cstring>

namespace etbtool {

RawLines::RawLines(int fd) : file_(::fdopen(fd, "rb")) {
  if (file_ == nullptr) ::close(fd);
}

RawLines::~RawLines() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RawLines::Next() {
  line_.clear();
  bool any = false;
  while (file_ != nullptr) {
    if (begin_ == end_) {
      begin_ = 0;
      end_ = std::fread(block_, 1, sizeof block_, file_);
      if (end_ == 0) return any;
    }
    any = true;
    const void* feed = std::memchr(block_ + begin_, '\n', end_ - begin_);
    const std::size_t stop =
        feed != nullptr ? std::size_t(static_cast<const char*>(feed) - block_) : end_;
    line_.append(block_ + begin_, stop - begin_);
    begin_ = feed != nullptr ? stop + 1 : stop;
    if (feed != nullptr) return true;
  }
  return false;
}

}  // namespace etbtool
