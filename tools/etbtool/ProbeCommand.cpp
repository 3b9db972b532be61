#include "Commands.h"

namespace etbtool {

int RunProbe(const LoadedModule& module, const std::string& role, const std::string& kind,
             const std::string& format, std::ostream& out) {
  du::SmartPtr<znloader::AnnotationParser> component;
  if (!module.Create(role, kind, format, component)) {
    out << "no component\n";
    return kExitFailure;
  }
  out << component->GetDebugClassName().safe_c_str() << '\n';
  return kExitSuccess;
}

}  // namespace etbtool
