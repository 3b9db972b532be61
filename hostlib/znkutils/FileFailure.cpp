#include "standin/FileFailure.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

thread_local standin::FileFailure lastFailure;

}  // namespace

void standin::NoteFileFailure(const std::string& path, const std::string& reason) {
  lastFailure = FileFailure{path, reason};
}

void standin::NoteFileFailure(const std::string& path, int error) {
  NoteFileFailure(path, std::strerror(error != 0 ? error : EIO));
}

standin::FileFailure standin::TakeFileFailure() { return std::exchange(lastFailure, {}); }
