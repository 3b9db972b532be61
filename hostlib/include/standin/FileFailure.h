#pragma once

#include <string>

// Why the host's last file operation that failed on this thread failed, for a host that tells
// its user: the module only learns that a save failed, not why.
namespace standin {

struct FileFailure {
  std::string path;    // the file the failing step worked on; empty: nothing failed
  std::string reason;  // "No space left on device", "not a regular file (a FIFO)", ...
};

// Records a failure, with errno's value (or its words); the host's file operations call it where
// a step fails.
void NoteFileFailure(const std::string& path, int error);
void NoteFileFailure(const std::string& path, const std::string& reason);
// The last failure noted on this thread since the last call, then forgets it.
FileFailure TakeFileFailure();

}  // namespace standin
