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

// Prints etbtool's version, the module it would load and that module's version, and says when
// the module is not the one built with etbtool; a module that cannot be loaded or is no ETB
// module is a usage mistake. Runs none of the module's code.
int RunVersion(const std::string& modulePath, std::ostream& out);

struct LoadOptions {
  std::string file;
  std::string model;
  bool json = false;
  bool summary = false;
};

// Loads an ETB file as a host does and prints the table.
int RunLoad(const LoadedModule& module, const LoadOptions& options, std::ostream& out);

// Loads a zip session archive as a host does and prints the structure's session state.
int RunSession(const LoadedModule& module, const LoadOptions& options, std::ostream& out);

struct SaveOptions {
  std::string input;
  std::string output;
  std::string model;
  bool convert = false;
  int partialIndex = -1;  // -1: not given
  bool defaultTable = false;
  int markIndex = -1;  // -1: not given
};

// Loads an ETB file as `load` does and saves it again through the ETB saver.
int RunSave(const LoadedModule& module, const SaveOptions& options, std::ostream& out);

enum class PrefsAction { kShow, kImport, kExport };

struct PrefsOptions {
  PrefsAction action = PrefsAction::kShow;
  std::string file;  // the ETB file of import and export
  std::string store;
  bool json = false;
};

// Shows, imports into or exports the host's preference list of annotation entries, in the
// store of `options` (the default one when that is empty).
int RunPrefs(const LoadedModule& module, PrefsOptions options, std::ostream& out);

struct CheckOptions {
  std::string file;  // "-": standard input
  std::string model;
  bool json = false;
  long maxFindings = -1;  // findings shown at most; -1: all
};

// Reads an ETB file as the loader does and prints, one a line, what the loader would make of it
// other than its author most likely meant, then the totals (on stderr; with --json, a summary).
// Needs no module: the record reader is built in.
int RunCheck(const CheckOptions& options, std::ostream& out);

struct ExportOptions {
  std::string input;
  std::string output;
  std::string format;  // "csv" or "json"
  std::string model;
  bool escapeFormulas = false;
};

// Loads an ETB file as `load` does and writes the table as CSV or as the load's JSON document
// (OUT "-": to standard output).
int RunExport(const LoadedModule& module, const ExportOptions& options, std::ostream& out);

struct ImportOptions {
  std::string input;  // "-": standard input
  std::string output;
  std::string model;
  bool convert = false;
  char delimiter = ',';
  bool escapedFormulas = false;
};

// Reads a CSV table or a JSON document of entries and saves them through the module's ETB
// saver; refuses bad input line by line and then writes nothing.
int RunImport(const LoadedModule& module, const ImportOptions& options, std::ostream& out);

// The guided tour of the module.
int RunDemo(const LoadedModule& module, std::ostream& out);

}  // namespace etbtool
