#include "standin/ReplacedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "FileLinks.h"
#include "standin/FileFailure.h"

namespace fs = std::filesystem;

namespace {

// What the umask leaves of rw-rw-rw-, as a file made with open() gets. Read from the kernel's
// view of the process: calling umask() to learn it would change it for other threads meanwhile.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) {
      return mode_t(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
  }
  return 0644;
}

}  // namespace

std::string standin::FollowLinks(std::string path) {
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

standin::ReplacedFile::ReplacedFile(const std::string& target) : target_(FollowLinks(target)) {
  if (target_.empty()) {
    Fail(ELOOP, target);
    return;
  }
  const fs::path path(target_);
  sibling_ = (path.parent_path().empty() ? fs::path(".") : path.parent_path()).string() + "/." +
             path.filename().string() + ".copy-XXXXXX";
  const TerminationSignalsHeld held;
  descriptor_ = ::mkostemp(sibling_.data(), O_CLOEXEC);
  if (Step(descriptor_ >= 0)) {
    slot_ = TrackTemporary(sibling_, false);
  } else {
    sibling_.clear();
  }
}

standin::ReplacedFile::~ReplacedFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!sibling_.empty()) ::unlink(sibling_.c_str());
  ForgetTemporary(slot_);
}

bool standin::ReplacedFile::Step(bool done) {
  if (!done) Fail(errno);
  return done;
}

bool standin::ReplacedFile::Write(const char* data, std::size_t size) {
  while (size > 0 && !failed_ && descriptor_ >= 0) {
    const ssize_t written = ::write(descriptor_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = ENOSPC;
    if (!Step(written > 0)) break;
    data += written;
    size -= std::size_t(written);
  }
  return size == 0 && !failed_;
}

void standin::ReplacedFile::Fail(int error, const std::string& path, const std::string& reason) {
  if (failed_) return;
  failed_ = true;
  error_ = error != 0 ? error : EIO;
  NoteFileFailure(path.empty() ? target_ : path,
                  reason.empty() ? std::string(std::strerror(error_)) : reason);
}

bool standin::ReplacedFile::Commit(bool durable) {
  if (descriptor_ < 0) {
    errno = error_;
    return false;
  }
  struct stat info {};
  const mode_t mode = mode_ >= 0                            ? mode_t(mode_)
                      : ::stat(target_.c_str(), &info) == 0 ? info.st_mode & 07777
                                                            : NewFileMode();
  const bool written = !failed_ && Step(::fchmod(descriptor_, mode) == 0) &&
                       (!durable || Step(::fsync(descriptor_) == 0));
  const bool closed = Step(::close(descriptor_) == 0);
  descriptor_ = -1;
  if (!written || !closed || !Step(::rename(sibling_.c_str(), target_.c_str()) == 0)) {
    errno = error_;
    return false;
  }
  sibling_.clear();
  return true;
}
