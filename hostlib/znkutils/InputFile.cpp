#include "standin/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "of an unknown kind";
}

standin::InputFile Refused(int error, std::string reason) { return {-1, error, std::move(reason)}; }

standin::InputFile RefusedKind(mode_t mode) {
  if (S_ISDIR(mode)) return Refused(EISDIR, "is a directory");
  return Refused(EINVAL, std::string("not a regular file (") + KindOf(mode) + ")");
}

}  // namespace

standin::InputFile standin::OpenInputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    // A socket cannot be opened at all; say what it is rather than "No such device or address".
    struct stat info {};
    if (error == ENXIO && ::stat(path.c_str(), &info) == 0) return RefusedKind(info.st_mode);
    return Refused(error, std::strerror(error));
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return Refused(error, std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return RefusedKind(info.st_mode);
  }
  // Reads of a regular file never wait anyway; the flag goes so that the descriptor behaves
  // like any other for whoever gets it.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    return Refused(error, std::strerror(error));
  }
  return {fd, 0, ""};
}
