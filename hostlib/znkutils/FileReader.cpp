#include "du/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace du {

FileReader::FileReader() noexcept = default;

FileReader::~FileReader() { Close(); }

bool FileReader::Open(const Symbol& path, int /*mode*/, unsigned int /*blockSize*/) {
  Close();
  if (path.IsNull()) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool FileReader::Close() {
  if (fd_ < 0) return false;
  ::close(fd_);
  fd_ = -1;
  return true;
}

}  // namespace du
