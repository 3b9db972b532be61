#pragma once

#include <string>

// Why the host's last file operation that failed on this thread failed, for a host that tells
// its user: the module only learns that a save failed, not why.
namespace standin {

// An errno value, or this for a path that names something other than a regular file.
constexpr int kNotRegularFile = -1;

struct FileFailure {
  std::string path;  // the file the failing step worked on; empty: nothing failed
  int error = 0;

  // "No space left on device", "not a regular file", ...
  std::string Reason() const;
};

// Records a failure; the host's file operations call it where a step fails.
void NoteFileFailure(const std::string& path, int error);
// The last failure noted on this thread since the last call, then forgets it.
FileFailure TakeFileFailure();

}  // namespace standin
