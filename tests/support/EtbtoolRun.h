#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testing_support {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs etbtool with `arguments` (already quoted for the shell). With a deadline, etbtool is
// killed when it runs longer (status 137), so that a test fails rather than hangs.
inline ToolRun Etbtool(const std::string& arguments, int deadlineSeconds = 0) {
  char errPath[] = "/tmp/etbtool-err-XXXXXX";
  const int errFd = ::mkstemp(errPath);
  if (errFd >= 0) ::close(errFd);
  const std::string command =
      (deadlineSeconds > 0 ? "timeout -s KILL " + std::to_string(deadlineSeconds) + " " : "") +
      ETBTOOL_PATH + " " + arguments + " 2>'" + errPath + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  const int status = ::pclose(pipe);
  std::string err;
  if (FILE* errFile = std::fopen(errPath, "rb")) {
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, errFile))
      err.append(buffer, got);
    std::fclose(errFile);
  }
  ::unlink(errPath);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

}  // namespace testing_support
