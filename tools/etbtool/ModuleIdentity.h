#pragma once

#include <string>

namespace etbtool {

// Which module a file is: read from the ELF notes of its loaded image, without calling into it.
struct ModuleIdentity {
  std::string error;    // why the file could not be loaded; the rest is empty then
  std::string version;  // the module's version note, empty when it has none
  std::string buildId;  // the GNU build id in hex, empty when it has none
  // The first of the module's entry points the file does not define itself, empty when it
  // defines all three: a file that lacks one is no ETB module.
  std::string missingEntryPoint;
};

ModuleIdentity IdentifyModule(const std::string& path);

}  // namespace etbtool
