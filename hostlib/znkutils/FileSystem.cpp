#include "du/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "FaultPoints.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostTemp.h"
#include "standin/InputFile.h"
#include "standin/Progress.h"

namespace {

namespace fs = std::filesystem;

std::mutex hostTempMutex;
std::string hostTempDir;  // guarded by hostTempMutex; empty until first use

std::array<std::atomic<int>, 8> pendingFaults{};
std::atomic<long> operationsSeen{0};
std::atomic<long> failFrom{0};  // 0: no counted fault
std::atomic<bool> failEveryLater{false};
std::atomic<int> lastFaulted{0};
std::atomic<void (*)(standin::FileSystemOperation)> watcher{nullptr};

}  // namespace

void standin::WatchFileOperations(void (*watch)(FileSystemOperation operation)) {
  watcher.store(watch);
}

// True when this call of `operation` is to fail; counts it either way.
bool standin::fault::Fires(FileSystemOperation operation) {
  if (const auto watch = watcher.load(std::memory_order_relaxed)) watch(operation);
  const long seen = operationsSeen.fetch_add(1) + 1;
  const long from = failFrom.load();
  bool fires = from > 0 && (seen == from || (failEveryLater.load() && seen > from));
  std::atomic<int>& pending = pendingFaults[static_cast<std::size_t>(operation)];
  for (int left = pending.load(); !fires && left > 0;) {
    fires = pending.compare_exchange_weak(left, left - 1);
  }
  if (fires) lastFaulted.store(static_cast<int>(operation));
  return fires;
}

namespace {

bool Faulted(standin::FileSystemOperation operation) { return standin::fault::Fires(operation); }

std::string SystemTempDir() {
  const char* configured = std::getenv("TMPDIR");
  std::string dir = configured != nullptr && *configured != '\0' ? configured : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = ENOSPC;
    if (written <= 0) return false;
    data += written;
    size -= std::size_t(written);
  }
  return true;
}

// Copies the bytes of `from` into the open, empty file `to`; false on any read or write error,
// and at once for a `from` that is no regular file (a FIFO without a writer must not hold a save).
// The kernel copies without a trip through user memory where it can (copy_file_range); files on
// file systems that do not support it are copied block by block.
bool CopyBytes(const std::string& from, int to) {
  const standin::InputFile input = standin::OpenInputFile(from);
  if (input.fd < 0) {
    errno = input.error;
    return false;
  }
  const int source = input.fd;
  struct stat info {};
  bool ok = ::fstat(source, &info) == 0;
  if (ok && Faulted(standin::FileSystemOperation::kCopyWrite)) {
    std::vector<char> half(std::size_t(info.st_size / 2));
    if (::pread(source, half.data(), half.size(), 0) > 0) WriteAll(to, half.data(), half.size());
    ::close(source);
    errno = ENOSPC;
    return false;
  }
  bool kernelCopy = ok;
  off_t copied = 0;
  while (ok && kernelCopy && copied < info.st_size) {
    const ssize_t got =
        ::copy_file_range(source, nullptr, to, nullptr, std::size_t(info.st_size - copied), 0);
    if (got > 0) {
      copied += got;
    } else if (got == 0) {
      break;  // the file shrank meanwhile: the rest below finds its end
    } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
      kernelCopy = false;
    } else if (errno != EINTR) {
      ok = false;
    }
  }
  std::vector<char> block(std::size_t{1} << 16);
  while (ok) {
    const ssize_t got = ::pread(source, block.data(), block.size(), copied);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = WriteAll(to, block.data(), std::size_t(got));
    copied += got;
  }
  ::close(source);
  return ok;
}

// Whether two files hold the same bytes; false when either cannot be read. Sizes are compared
// first, so two files of different sizes cost no read.
bool SameContent(const std::string& a, const std::string& b) {
  struct stat infoA {};
  struct stat infoB {};
  if (::stat(a.c_str(), &infoA) != 0 || ::stat(b.c_str(), &infoB) != 0 || !S_ISREG(infoA.st_mode) ||
      !S_ISREG(infoB.st_mode) || infoA.st_size != infoB.st_size) {
    return false;
  }
  std::ifstream inA(a, std::ios::binary);
  std::ifstream inB(b, std::ios::binary);
  std::vector<char> blockA(std::size_t{1} << 16);
  std::vector<char> blockB(blockA.size());
  while (inA && inB) {
    inA.read(blockA.data(), std::streamsize(blockA.size()));
    inB.read(blockB.data(), std::streamsize(blockB.size()));
    if (inA.gcount() != inB.gcount() ||
        !std::equal(blockA.begin(), blockA.begin() + inA.gcount(), blockB.begin())) {
      return false;
    }
  }
  return inA.eof() && inB.eof();
}

// The file a path names once symbolic links at its end are followed: writing a file the user
// named goes to the file the link points at and leaves the link. A dangling link gives the path
// its target would have; "" for a loop (more hops than the kernel allows).
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(std::size_t(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || std::size_t(length) >= target.size()) return std::string();
    target.resize(std::size_t(length));
    path = target.front() == '/' ? target : (fs::path(path).parent_path() / target).string();
  }
  return std::string();
}

// Copies `from` over `to` through a sibling temporary renamed into place, so `to` is never seen
// half-written. `durable`: the copy is on disk before it takes the name.
bool CopyWhole(const std::string& from, const std::string& linkedTo, bool durable) {
  const std::string to = FollowLinks(linkedTo);
  if (to.empty()) return false;
  const fs::path target(to);
  std::string sibling =
      (target.parent_path().empty() ? fs::path(".") : target.parent_path()).string() + "/." +
      target.filename().string() + ".copy-XXXXXX";
  const int fd = ::mkstemp(sibling.data());
  if (fd < 0) return false;
  int failure = 0;  // errno of the first step that failed, for a host that says why
  const auto step = [&failure](bool done) {
    if (!done && failure == 0) failure = errno != 0 ? errno : EIO;
    return done;
  };
  if (step(CopyBytes(from, fd)) && durable) step(::fsync(fd) == 0);
  step(::close(fd) == 0);
  // Keep the permissions a target had; a new one gets the usual ones.
  struct stat info {};
  const mode_t mode = ::stat(to.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
  if (failure == 0 && step(::chmod(sibling.c_str(), mode) == 0) &&
      step(::rename(sibling.c_str(), to.c_str()) == 0)) {
    return true;
  }
  ::unlink(sibling.c_str());
  errno = failure;
  return false;
}

}  // namespace

namespace du {

std::string FileSystem::GetTempDir(bool perHost) {
  if (!perHost) return SystemTempDir();
  std::lock_guard<std::mutex> lock(hostTempMutex);
  if (hostTempDir.empty()) {
    std::string pattern = SystemTempDir() + "/znhost-XXXXXX";
    // Without a folder of its own the host falls back to the system's.
    hostTempDir = ::mkdtemp(pattern.data()) != nullptr ? pattern : SystemTempDir();
  }
  return hostTempDir;
}

std::string FileSystem::MkTempFile(const char* folder, const char* prefix, const char* suffix) {
  if (Faulted(standin::FileSystemOperation::kMkTempFile)) return std::string();
  const std::string suffixText = suffix != nullptr ? suffix : "";
  std::string path = (folder != nullptr ? std::string(folder) : GetTempDir(true)) + "/" +
                     (prefix != nullptr ? prefix : "") + "XXXXXX" + suffixText;
  const int fd = ::mkstemps(path.data(), int(suffixText.size()));
  if (fd < 0) return std::string();
  ::close(fd);
  return path;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to) {
  if (Faulted(standin::FileSystemOperation::kCopyFile) || from.empty() || to.empty()) return false;
  return CopyWhole(from, to, true);
}

bool FileSystem::BackupFile(const std::string& path, int count) {
  if (Faulted(standin::FileSystemOperation::kBackupFile)) return false;
  if (count < 1) return true;
  const std::string file = FollowLinks(path);  // backups go beside the file, not the link
  if (file.empty()) return false;
  const auto numbered = [&file](int n) { return file + "." + std::to_string(n); };
  // A backup that would repeat the newest one is not made, and nothing moves: saves of an
  // unchanged file, and saves that fail after backing up, must not push real history out.
  if (SameContent(file, numbered(1))) return true;
  ::unlink(numbered(count).c_str());
  for (int n = count - 1; n >= 1; --n) {
    if (::rename(numbered(n).c_str(), numbered(n + 1).c_str()) != 0 && errno != ENOENT) {
      return false;
    }
  }
  // A copy, not a second name for the same file: a target rewritten in place by some other
  // program must not change its backups. It need not reach the disk before the save goes on:
  // until the commit renames the new file into place, the target itself is the old content.
  return CopyWhole(file, numbered(1), false);
}

bool FileSystem::FileExists(const std::string& path) {
  if (Faulted(standin::FileSystemOperation::kFileExists)) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool FileSystem::Unlink(const std::string& path, bool /*reserved*/) {
  if (Faulted(standin::FileSystemOperation::kUnlink)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool FileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (Faulted(standin::FileSystemOperation::kRenameFile)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace du

void standin::FailFileSystem(FileSystemOperation operation, int times) {
  pendingFaults[static_cast<std::size_t>(operation)].store(times);
}

void standin::ClearFileSystemFaults() {
  for (std::atomic<int>& pending : pendingFaults) pending.store(0);
  failFrom.store(0);
  failEveryLater.store(false);
  operationsSeen.store(0);
}

void standin::FailFileOperation(long n, bool andEveryLater) {
  operationsSeen.store(0);
  failEveryLater.store(andEveryLater);
  failFrom.store(n);
}

long standin::FileOperationsSeen() { return operationsSeen.load(); }

standin::FileSystemOperation standin::LastFaultedOperation() {
  return static_cast<FileSystemOperation>(lastFaulted.load());
}

void standin::RemoveHostTempDir() {
  std::lock_guard<std::mutex> lock(hostTempMutex);
  if (hostTempDir.empty() || hostTempDir == SystemTempDir()) {
    hostTempDir.clear();
    return;
  }
  std::error_code ignored;
  fs::remove_all(hostTempDir, ignored);
  hostTempDir.clear();
}
