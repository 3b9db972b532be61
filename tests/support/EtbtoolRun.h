#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testing_support {

struct ToolRun {
  int status;
  std::string out;
};

// Runs etbtool with `arguments` (already quoted for the shell); standard error is dropped.
inline ToolRun Etbtool(const std::string& arguments) {
  const std::string command = std::string(ETBTOOL_PATH) + " " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace testing_support
