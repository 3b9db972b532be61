#include <iostream>

#include "Commands.h"
#include "ModuleBuildId.h"
#include "ModuleIdentity.h"

namespace etbtool {

int RunVersion(const std::string& modulePath, std::ostream& out) {
  out << "etbtool " << ETBTOOL_VERSION << '\n' << "module: " << modulePath << '\n';
  const ModuleIdentity module = IdentifyModule(modulePath);
  if (!module.error.empty()) {
    std::cerr << "etbtool: cannot load module: " << module.error << '\n';
    return kExitUsage;
  }
  if (!module.missingEntryPoint.empty()) {
    std::cerr << "etbtool: " << modulePath << " is not an ETB module: it does not export "
              << module.missingEntryPoint << '\n';
    return kExitUsage;
  }
  out << "module version: " << (module.version.empty() ? "unknown" : module.version) << '\n';
  if (module.buildId != ETBTOOL_MODULE_BUILD_ID) {
    out << "the module and etbtool come from different builds (module build id "
        << (module.buildId.empty() ? "none" : module.buildId) << ", etbtool built with "
        << ETBTOOL_MODULE_BUILD_ID << ")\n";
  }
  return kExitSuccess;
}

}  // namespace etbtool
