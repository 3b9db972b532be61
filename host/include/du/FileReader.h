#pragma once

#include <cstddef>

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/Symbol.h"

namespace du {

// A file opened for reading. Readers are reference-counted host objects, but their owner may
// also create and delete one directly.
class ZN_HOST_API FileReader : public RefCounted {
 public:
  FileReader() noexcept;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader() override;

  // Opens a regular file; `mode` and `blockSize` are hints. False for a missing, unreadable or
  // non-regular file, and for an unset path.
  bool Open(const Symbol& path, int mode, unsigned int blockSize);
  // True when a file was open.
  bool Close();
  bool IsOpen() const noexcept { return fd_ >= 0; }

  // Reads up to `size` bytes; 0 at end of file or when nothing is open. A read error throws a
  // bool, as line readers expect.
  std::size_t Read(char* buffer, std::size_t size);
  // The block size that Open was given (at least 64 KiB: smaller blocks only cost system calls).
  std::size_t GetBlockSize() const noexcept { return blockSize_; }

 private:
  int fd_ = -1;
  std::size_t blockSize_ = 0;
};

}  // namespace du
