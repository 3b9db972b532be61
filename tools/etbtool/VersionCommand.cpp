#include "Commands.h"
#include "ModuleBuildId.h"
#include "ModuleIdentity.h"

namespace etbtool {

int RunVersion(const std::string& modulePath, std::ostream& out) {
  out << "etbtool " << ETBTOOL_VERSION << '\n' << "module: " << modulePath << '\n';
  const ModuleIdentity module = IdentifyModule(modulePath);
  if (!module.error.empty()) {
    out << "module version: unknown (cannot load module: " << module.error << ")\n";
    return kExitSuccess;
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
