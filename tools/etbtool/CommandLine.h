#pragma once

#include <optional>
#include <string>

#include "Commands.h"

namespace etbtool {

// What the command line asks for.
struct Invocation {
  enum class Command {
    kProbe,
    kLoad,
    kSave,
    kSession,
    kPrefs,
    kDemo,
    kCheck,
    kExport,
    kImport,
    kVersion
  };
  Command command = Command::kDemo;
  std::string modulePath;
  std::string role, kind, format;  // probe
  LoadOptions load;                // load and session
  SaveOptions save;
  PrefsOptions prefs;
  CheckOptions check;
  ExportOptions exportTable;
  ImportOptions importTable;
  bool stats = false;  // --stats: phase timings on stderr after the command
};

// The invocation, or the exit status when there is nothing more to do: 0 after --help
// (printed to `out`), 2 after a usage mistake (one line on `err`).
std::optional<Invocation> ParseCommandLine(int argc, char** argv, std::ostream& out,
                                           std::ostream& err, int& exitStatus);

}  // namespace etbtool
