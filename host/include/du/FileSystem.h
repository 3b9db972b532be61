#pragma once

#include <string>

#include "du/HostApi.h"

namespace du {

// File-system services of the host.
class ZN_HOST_API FileSystem {
 public:
  // perHost true: the host's own temporary folder, made on first use and private to this
  // process; false: the system's temporary folder ($TMPDIR, else /tmp). No trailing separator.
  static std::string GetTempDir(bool perHost);
};

}  // namespace du
