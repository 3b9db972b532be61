#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "standin/FileFailure.h"

namespace etbtool {

OutputFile::OutputFile(const std::string& target) : file_(target) {
  if (file_.descriptor() < 0) return;
  const int descriptor = ::dup(file_.descriptor());  // the stream closes its own
  stream_ = descriptor >= 0 ? ::fdopen(descriptor, "wb") : nullptr;
  if (stream_ == nullptr) {
    file_.Fail(errno);
    if (descriptor >= 0) ::close(descriptor);
  }
}

OutputFile::~OutputFile() {
  if (stream_ != nullptr) std::fclose(stream_);
}

bool OutputFile::Commit() {
  if (stream_ != nullptr) {
    const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    if (!flushed) file_.Fail(errno);
    std::fclose(std::exchange(stream_, nullptr));
  }
  return file_.Commit(true);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat infoA {};
  struct stat infoB {};
  return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 &&
         infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

void PrintWriteFailure(const char* verb, const std::string& target, std::ostream& err) {
  const standin::FileFailure failure = standin::TakeFileFailure();
  err << "etbtool: cannot " << verb << ' ' << target << ": ";
  if (failure.path.empty()) {
    // Only the module's own writing (to the host's temporary file) fails unseen by the host.
    err << "the saver failed without a failing host file operation\n";
    return;
  }
  err << failure.reason;
  if (failure.path != target) err << " (" << failure.path << ')';
  err << '\n';
}

}  // namespace etbtool
