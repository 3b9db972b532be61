#pragma once

#include <string>

#include "du/HostApi.h"

namespace du {

// A file specifier (a path) taken apart; the host calls the class FileSpec.
class ZN_HOST_API FileSpec {
 public:
  static const char DIR_SEP_CHAR;  // '/'

  explicit FileSpec(const char* path);

  // The text after the last '.' of the path's last component, without the dot. False, with
  // `extension` emptied, when that component has no dot.
  bool GetFileExtension(std::string* extension) const;
  const std::string& GetPath() const noexcept { return path_; }

 private:
  std::string path_;
};

}  // namespace du
