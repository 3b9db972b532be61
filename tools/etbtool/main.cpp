#include <iostream>

#include "CommandLine.h"
#include "Commands.h"
#include "HostLimits.h"
#include "ModuleLoader.h"
#include "PhaseStats.h"
#include "standin/HostTemp.h"
#include "standin/Temporaries.h"

namespace {

// Runs the command; `stats` tells whether --stats was given.
int Run(int argc, char** argv, bool& stats) {
  using namespace etbtool;
  PhaseStats::Get();  // the clock of --stats starts here, with the "module load" phase
  int exitStatus = kExitUsage;
  const std::optional<Invocation> invocation =
      ParseCommandLine(argc, argv, std::cout, std::cerr, exitStatus);
  if (!invocation) return exitStatus;
  if (!ApplyHostLimits(std::cerr)) return kExitUsage;
  stats = invocation->stats;
  if (invocation->command == Invocation::Command::kCheck)
    return RunCheck(invocation->check, std::cout);
  if (invocation->command == Invocation::Command::kVersion)
    return RunVersion(ResolveModulePath(invocation->modulePath), std::cout);

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
    case Command::kExport:
      status = RunExport(*module, invocation->exportTable, std::cout);
      break;
    case Command::kImport:
      status = RunImport(*module, invocation->importTable, std::cout);
      break;
    case Command::kCheck:  // handled above: they need no module
    case Command::kVersion:
      break;
  }
  PhaseStats::Get().Start("teardown");
  standin::RemoveHostTempDir();  // the download cache goes with the host
  return status;                 // the module is unloaded here, still in the teardown
}

}  // namespace

int main(int argc, char** argv) {
  // An interrupted command leaves no temporary file or folder behind.
  standin::RemoveTemporariesOnSignals();
  bool stats = false;
  try {
    const int status = Run(argc, argv, stats);
    if (stats) etbtool::PhaseStats::Get().Print(std::cerr);
    return status;
  } catch (const std::exception& error) {
    std::cerr << "etbtool: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "etbtool: unexpected failure\n";
  }
  standin::RemoveHostTempDir();
  return etbtool::kExitUsage;
}
