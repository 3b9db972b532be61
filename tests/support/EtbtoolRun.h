#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace testing_support {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs a shell command line, its standard error apart. With a deadline, it is killed when it
// runs longer (status 137), so that a test fails rather than hangs.
inline ToolRun Shell(const std::string& commandLine, int deadlineSeconds = 0) {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string errPath =
      std::string(tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp") + "/etbtool-err-XXXXXX";
  const int errFd = ::mkstemp(errPath.data());
  if (errFd >= 0) ::close(errFd);
  const std::string command =
      (deadlineSeconds > 0 ? "timeout -s KILL " + std::to_string(deadlineSeconds) + " " : "") +
      commandLine + " 2>'" + errPath + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  const int status = ::pclose(pipe);
  std::string err;
  if (FILE* errFile = std::fopen(errPath.c_str(), "rb")) {
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, errFile))
      err.append(buffer, got);
    std::fclose(errFile);
  }
  ::unlink(errPath.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

// Runs etbtool with `arguments` (already quoted for the shell), as Shell does.
inline ToolRun Etbtool(const std::string& arguments, int deadlineSeconds = 0) {
  return Shell(std::string(ETBTOOL_PATH) + " " + arguments, deadlineSeconds);
}

// Starts etbtool with `arguments`, its output thrown away and its TMPDIR `tempDir`, and answers
// its process id. TMPDIR is replaced, not added: getenv answers the first one.
inline pid_t StartEtbtool(const std::vector<std::string>& arguments, const std::string& tempDir) {
  const std::string tmpdir = "TMPDIR=" + tempDir;
  std::vector<char*> env;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::strncmp(*variable, "TMPDIR=", 7) != 0) env.push_back(*variable);
  }
  env.push_back(const_cast<char*>(tmpdir.c_str()));
  env.push_back(nullptr);
  std::vector<char*> argv{const_cast<char*>(ETBTOOL_PATH)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  posix_spawn(&pid, ETBTOOL_PATH, &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace testing_support
