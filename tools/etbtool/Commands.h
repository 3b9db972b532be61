#pragma once

#include <ostream>
#include <string>

#include "ModuleLoader.h"

namespace etbtool {

// Exit statuses of every command.
enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

// Prints the class the factory makes for (role, kind, format), or "no component".
int RunProbe(const LoadedModule& module, const std::string& role, const std::string& kind,
             const std::string& format, std::ostream& out);

struct LoadOptions {
  std::string file;
  std::string model;
  bool json = false;
  bool summary = false;
};

// Loads an ETB file as a host does and prints the table.
int RunLoad(const LoadedModule& module, const LoadOptions& options, std::ostream& out);

// The guided tour of the module.
int RunDemo(const LoadedModule& module, std::ostream& out);

}  // namespace etbtool
