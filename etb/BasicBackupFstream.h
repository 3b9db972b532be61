#pragma once

#include <fstream>
#include <ios>
#include <ostream>
#include <string>

#include "du/FileSystem.h"

namespace du {

// An output file stream that never writes its target in place. Output goes to a temporary file;
// close(n) commits it (backs up an existing target, then copies the finished file over it), and
// destroying the stream without a commit leaves the target as it was. Failures are reported
// only as failbit, never thrown.
template <class CharT, class Traits = std::char_traits<CharT>>
class BasicBackupFstream : public std::basic_ostream<CharT, Traits> {
 public:
  BasicBackupFstream(const char* path, std::ios_base::openmode mode)
      : std::basic_ostream<CharT, Traits>(nullptr) {
    // The buffer is a member, so it only exists once the base is built: attach it now.
    this->init(&buffer_);
    open(path, mode);
  }
  BasicBackupFstream(const BasicBackupFstream&) = delete;
  BasicBackupFstream& operator=(const BasicBackupFstream&) = delete;

  ~BasicBackupFstream() override {
    buffer_.close();
    discard();
  }

  void open(const char* path, std::ios_base::openmode mode) {
    if (buffer_.is_open()) {
      if (buffer_.close() == nullptr) {
        this->setstate(std::ios_base::failbit);
        return;
      }
      discard();  // a second open drops the first one's output uncommitted
    }
    const std::string target = path != nullptr ? path : "";
    const std::string temporary = FileSystem::MkTempFile(nullptr, "hlw-tmp-file-", "");
    // Modes that keep old content start from a copy of the target.
    if ((mode & std::ios_base::trunc) == 0 && !FileSystem::CopyFile(target, temporary)) {
      FailOpen(temporary);
      return;
    }
    if (buffer_.open(temporary.c_str(), mode | std::ios_base::out) == nullptr) {
      FailOpen(temporary);
      return;
    }
    this->clear();
    targetPath_ = target;
    temporaryPath_ = temporary;
  }

  bool is_open() const { return buffer_.is_open(); }

  // The commit. The backup of an existing target is made before the stream's state is looked
  // at; the copy over the target only when nothing failed.
  void close(int backupArgument) {
    if (buffer_.close() == nullptr) {
      this->setstate(std::ios_base::failbit);
    } else {
      if (FileSystem::FileExists(targetPath_) &&
          !FileSystem::BackupFile(targetPath_, backupArgument)) {
        this->setstate(std::ios_base::failbit);
      }
      if (this->good() && !FileSystem::CopyFile(temporaryPath_, targetPath_)) {
        this->setstate(std::ios_base::failbit);
      }
    }
    if (!temporaryPath_.empty()) FileSystem::Unlink(temporaryPath_, false);
    temporaryPath_.clear();
    targetPath_.clear();
  }

 private:
  void discard() {
    if (!temporaryPath_.empty()) FileSystem::Unlink(temporaryPath_, false);
    temporaryPath_.clear();
    targetPath_.clear();
  }

  // A failed open records no paths; the temporary file it made is removed at once, so no
  // failure leaves one behind.
  void FailOpen(const std::string& temporary) {
    this->setstate(std::ios_base::failbit);
    targetPath_.clear();
    temporaryPath_.clear();
    if (!temporary.empty()) FileSystem::Unlink(temporary, false);
  }

  std::basic_filebuf<CharT, Traits> buffer_;
  std::string targetPath_;
  std::string temporaryPath_;
};

}  // namespace du
