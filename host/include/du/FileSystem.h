#pragma once

#include <string>

#include "du/HostApi.h"

namespace du {

// File-system services of the host. None throws; each reports failure in its result.
class ZN_HOST_API FileSystem {
 public:
  // perHost true: the host's own temporary folder, made on first use and private to this
  // process; false: the system's temporary folder ($TMPDIR, else /tmp). No trailing separator.
  static std::string GetTempDir(bool perHost);

  // Creates a new, empty file named `prefix`XXXXXX`suffix` in `folder` (the host's temporary
  // folder when null) and answers its path; "" when it cannot.
  static std::string MkTempFile(const char* folder, const char* prefix, const char* suffix);
  // Copies `from` over `to` through a temporary file beside `to` that is flushed to disk and
  // renamed into place, so `to` is never left half-written. A `to` that is a symbolic link
  // stays one: the file it points at is replaced. On failure errno says why.
  static bool CopyFile(const std::string& from, const std::string& to);
  // Keeps up to `count` copies of `path` beside it: path.1 is the newest, path.`count` the
  // oldest, and older ones are dropped. A count below 1 keeps none. The copies of a symbolic
  // link's file go beside that file.
  static bool BackupFile(const std::string& path, int count);
  static bool FileExists(const std::string& path);
  // `reserved` is unused by this host.
  static bool Unlink(const std::string& path, bool reserved);
  static bool RenameFile(const std::string& from, const std::string& to);
};

}  // namespace du
