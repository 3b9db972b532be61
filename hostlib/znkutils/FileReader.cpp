#include "du/FileReader.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

#include "standin/InputFile.h"
#include "standin/Progress.h"

namespace {

std::atomic<std::uint64_t> bytesRead{0};

}  // namespace

std::uint64_t standin::BytesReadFromFiles() { return bytesRead.load(std::memory_order_relaxed); }

namespace du {

namespace {
constexpr std::size_t kMinimumBlockSize = std::size_t{64} * 1024;
}  // namespace

FileReader::FileReader() noexcept = default;

FileReader::~FileReader() { Close(); }

bool FileReader::Open(const Symbol& path, int /*mode*/, unsigned int blockSize) {
  Close();
  if (path.IsNull()) return false;
  const standin::InputFile input = standin::OpenInputFile(path.c_str());
  if (input.fd < 0) return false;
  fd_ = input.fd;
  blockSize_ = std::max<std::size_t>(blockSize, kMinimumBlockSize);
  return true;
}

bool FileReader::Close() {
  if (fd_ < 0) return false;
  ::close(fd_);
  fd_ = -1;
  return true;
}

std::size_t FileReader::Read(char* buffer, std::size_t size) {
  if (fd_ < 0) return 0;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) {
      bytesRead.store(bytesRead.load(std::memory_order_relaxed) + std::uint64_t(got),
                      std::memory_order_relaxed);
      return std::size_t(got);
    }
    if (errno != EINTR) throw false;
  }
}

}  // namespace du
