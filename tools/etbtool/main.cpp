#include <iostream>

#include "CommandLine.h"
#include "Commands.h"
#include "ModuleLoader.h"
#include "standin/HostTemp.h"

namespace {

int Run(int argc, char** argv) {
  using namespace etbtool;
  int exitStatus = kExitUsage;
  const std::optional<Invocation> invocation =
      ParseCommandLine(argc, argv, std::cout, std::cerr, exitStatus);
  if (!invocation) return exitStatus;

  std::string error;
  const std::unique_ptr<LoadedModule> module =
      LoadedModule::Load(ResolveModulePath(invocation->modulePath), error);
  if (!module) {
    std::cerr << "etbtool: " << error << '\n';
    return kExitUsage;
  }

  int status = kExitUsage;
  switch (invocation->command) {
    using Command = Invocation::Command;
    case Command::kProbe:
      status = RunProbe(*module, invocation->role, invocation->kind, invocation->format, std::cout);
      break;
    case Command::kLoad:
      status = RunLoad(*module, invocation->load, std::cout);
      break;
    case Command::kSave:
      status = RunSave(*module, invocation->save, std::cout);
      break;
    case Command::kSession:
      status = RunSession(*module, invocation->load, std::cout);
      break;
    case Command::kPrefs:
      status = RunPrefs(*module, invocation->prefs, std::cout);
      break;
    case Command::kDemo:
      status = RunDemo(*module, std::cout);
      break;
  }
  standin::RemoveHostTempDir();  // the download cache goes with the host
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "etbtool: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "etbtool: unexpected failure\n";
  }
  return etbtool::kExitUsage;
}
