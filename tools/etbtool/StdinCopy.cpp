#include "StdinCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace etbtool {

namespace {

// Writes all of `size` bytes; false with errno set when it cannot.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    bytes += put;
    size -= std::size_t(put);
  }
  return true;
}

}  // namespace

StdinCopy::StdinCopy() {
  // Else the copy itself would get descriptor 0 and be read as standard input.
  if (::fcntl(STDIN_FILENO, F_GETFD) < 0) {
    problem_ = "standard input is closed";
    return;
  }
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  std::string name = folder + "/etbtool-stdin-XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    problem_ = "no temporary copy in " + folder + ": " + std::strerror(errno);
    return;
  }
  ::unlink(name.c_str());
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      problem_ = std::strerror(errno);
      return;
    }
    if (got == 0) return;
    if (!WriteAll(fd_, block, std::size_t(got))) {
      problem_ = "its copy in " + folder + " failed: " + std::strerror(errno);
      return;
    }
  }
}

StdinCopy::~StdinCopy() {
  if (fd_ >= 0) ::close(fd_);
}

std::string StdinCopy::path() const { return "/proc/self/fd/" + std::to_string(fd_); }

}  // namespace etbtool
