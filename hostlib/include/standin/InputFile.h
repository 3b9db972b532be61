#pragma once

#include <string>

// Opening a file the user named, for reading, without ever waiting. An open for reading waits
// for a writer on a FIFO and may wait on a device, so the open does not wait, and only a regular
// file is answered: nothing else can be read as a file's whole content. Every reading of a named
// input in the stand-in host and in etbtool goes through here.
namespace standin {

struct InputFile {
  // Open for reading (reads block as usual), close-on-exec; the caller closes it. -1: refused.
  int fd = -1;
  // When refused, why, as an errno value: the system's, EISDIR for a directory, EINVAL for any
  // other kind of file that is not regular.
  int error = 0;
  // The same in words: the system's ("No such file or directory"), "is a directory", or "not a
  // regular file (a FIFO)" naming the kind.
  std::string reason;
};

InputFile OpenInputFile(const std::string& path);

}  // namespace standin
