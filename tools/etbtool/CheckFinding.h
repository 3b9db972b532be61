#pragma once

#include <string>

namespace etbtool {

// Info: the host does what the line says, in a way worth knowing. Warning: the host makes of
// the line something other than what its author most likely meant. Error: a load of the file
// fails there.
enum class Severity { kInfo, kWarning, kError };

// One thing the checker found on one line of an ETB file.
struct Finding {
  long line = 0;  // 1-based
  const char* code = "";
  Severity severity = Severity::kWarning;
  std::string message;
  std::string host;  // what the host makes of it
};

}  // namespace etbtool
