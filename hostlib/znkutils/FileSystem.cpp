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
#include <utility>
#include <vector>

#include "FaultPoints.h"
#include "FileLinks.h"
#include "standin/FileFailure.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostTemp.h"
#include "standin/InputFile.h"
#include "standin/Progress.h"
#include "standin/ReplacedFile.h"
#include "standin/Temporaries.h"

namespace {

namespace fs = std::filesystem;

std::mutex hostTempMutex;
std::string hostTempDir;  // guarded by hostTempMutex; empty until first use
standin::TemporarySlot hostTempSlot = -1;

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

// Copies the bytes of `from` into the new file `to`, or tells `to` why not, at once for a `from`
// that is no regular file (a FIFO without a writer must not hold a save). The kernel copies
// without a trip through user memory where it can (copy_file_range); files on file systems that
// do not support it are copied block by block.
void CopyBytes(const std::string& from, standin::ReplacedFile& to) {
  const standin::InputFile input = standin::OpenInputFile(from);
  if (input.fd < 0) {
    // A write's failures read as the system words them; only a kind of file needs words of ours.
    to.Fail(input.error, from, input.error == EINVAL ? input.reason : std::string());
    return;
  }
  const int source = input.fd;
  struct stat info {};
  ::fstat(source, &info);
  if (Faulted(standin::FileSystemOperation::kCopyWrite)) {
    std::vector<char> half(std::size_t(info.st_size / 2));
    if (::pread(source, half.data(), half.size(), 0) > 0) to.Write(half.data(), half.size());
    ::close(source);
    to.Fail(ENOSPC);
    return;
  }
  bool kernelCopy = true;
  bool ok = true;
  off_t copied = 0;
  while (ok && kernelCopy && copied < info.st_size) {
    const ssize_t got = ::copy_file_range(source, nullptr, to.descriptor(), nullptr,
                                          std::size_t(info.st_size - copied), 0);
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
    ok = to.Write(block.data(), std::size_t(got));
    copied += got;
  }
  if (!ok) to.Fail(errno);  // a read's failure: a write's is noted already
  ::close(source);
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

// Copies `from` over `to` the careful way. `durable`: the copy is on disk before it takes the name.
bool CopyWhole(const std::string& from, const std::string& to, bool durable) {
  standin::ReplacedFile copy(to);
  if (copy.descriptor() >= 0) CopyBytes(from, copy);
  return copy.Commit(durable);
}

// A faulted call fails as the disk being full would, and says so.
bool FaultedWithNote(standin::FileSystemOperation operation, const std::string& path) {
  if (!Faulted(operation)) return false;
  standin::NoteFileFailure(path, ENOSPC);
  return true;
}

// The result of a system call that is a host operation's only step, noted when it failed.
bool Noted(bool done, const std::string& path) {
  if (!done) standin::NoteFileFailure(path, errno);
  return done;
}

}  // namespace

namespace du {

std::string FileSystem::GetTempDir(bool perHost) {
  if (!perHost) return SystemTempDir();
  std::lock_guard<std::mutex> lock(hostTempMutex);
  if (hostTempDir.empty()) {
    std::string pattern = SystemTempDir() + "/znhost-XXXXXX";
    const standin::TerminationSignalsHeld held;
    if (::mkdtemp(pattern.data()) != nullptr) {
      hostTempDir = pattern;
      hostTempSlot = standin::TrackTemporary(hostTempDir, true);
    } else {
      hostTempDir = SystemTempDir();  // without a folder of its own the host uses the system's
    }
  }
  return hostTempDir;
}

std::string FileSystem::MkTempFile(const char* folder, const char* prefix, const char* suffix) {
  const std::string suffixText = suffix != nullptr ? suffix : "";
  std::string path = (folder != nullptr ? std::string(folder) : GetTempDir(true)) + "/" +
                     (prefix != nullptr ? prefix : "") + "XXXXXX" + suffixText;
  if (FaultedWithNote(standin::FileSystemOperation::kMkTempFile, path)) return std::string();
  const int fd = ::mkstemps(path.data(), int(suffixText.size()));
  if (!Noted(fd >= 0, path)) return std::string();
  ::close(fd);
  return path;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to) {
  if (FaultedWithNote(standin::FileSystemOperation::kCopyFile, to)) return false;
  if (from.empty() || to.empty()) {
    standin::NoteFileFailure(to.empty() ? from : to, ENOENT);
    return false;
  }
  return CopyWhole(from, to, true);
}

bool FileSystem::BackupFile(const std::string& path, int count) {
  if (FaultedWithNote(standin::FileSystemOperation::kBackupFile, path)) return false;
  if (count < 1) return true;
  const std::string file = standin::FollowLinks(path);  // backups go beside the file, not the link
  if (file.empty()) {
    standin::NoteFileFailure(path, ELOOP);
    return false;
  }
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return Noted(false, file);
  const auto numbered = [&file](int n) { return file + "." + std::to_string(n); };
  // A backup that would repeat the newest one is not made, and nothing moves: saves of an
  // unchanged file, and saves that fail after backing up, must not push real history out.
  if (SameContent(file, numbered(1))) return true;
  // A copy, not a second name for the same file: a target rewritten in place by some other
  // program must not change its backups. It is made before anything moves, so a copy that fails
  // (a full disk) moves nothing; and it keeps the file's permissions. It need not reach the disk
  // before the save goes on: until the commit renames the new file into place, the target itself
  // is the old content.
  standin::ReplacedFile copy(numbered(1));
  copy.SetMode(info.st_mode);
  if (copy.descriptor() >= 0) CopyBytes(file, copy);
  if (copy.failed()) return false;
  ::unlink(numbered(count).c_str());
  for (int n = count - 1; n >= 1; --n) {
    if (::rename(numbered(n).c_str(), numbered(n + 1).c_str()) != 0 && errno != ENOENT) {
      return Noted(false, numbered(n + 1));
    }
  }
  return copy.Commit(false);
}

bool FileSystem::FileExists(const std::string& path) {
  if (Faulted(standin::FileSystemOperation::kFileExists)) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool FileSystem::Unlink(const std::string& path, bool /*reserved*/) {
  if (FaultedWithNote(standin::FileSystemOperation::kUnlink, path)) return false;
  return Noted(::unlink(path.c_str()) == 0, path);
}

bool FileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (FaultedWithNote(standin::FileSystemOperation::kRenameFile, to)) return false;
  return Noted(::rename(from.c_str(), to.c_str()) == 0, to);
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
  standin::ForgetTemporary(std::exchange(hostTempSlot, -1));
  hostTempDir.clear();
}
