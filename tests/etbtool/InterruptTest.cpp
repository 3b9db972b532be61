// A command stopped by SIGINT, SIGTERM or SIGHUP removes every temporary file and folder it made,
// its own and the host's, and ends with 128 + the signal's number.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "EtbtoolRun.h"
#include "ScratchDir.h"
#include "ZipFiles.h"

namespace {

using testing_support::ScratchDir;
using testing_support::StartEtbtool;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Waits until etbtool's main has installed its SIGINT handler (or it has ended), so that the
// moments below fall in its own work however long the start takes on a loaded machine.
void AwaitHandlers(pid_t pid) {
  const std::string status = "/proc/" + std::to_string(pid) + "/status";
  for (int tries = 0; tries < 10000; ++tries) {
    std::ifstream file(status);
    for (std::string line; std::getline(file, line);) {
      if (line.rfind("SigCgt:", 0) == 0 &&
          (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1) & 1) != 0) {
        return;
      }
      if (line.rfind("State:", 0) == 0 && line.find('Z') != std::string::npos) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Runs etbtool and sends it `signal` `delay` after its handlers are in (none when 0); answers
// its wait status and how long it ran from then.
std::pair<int, Clock::duration> RunEtbtool(const std::vector<std::string>& arguments,
                                           const std::string& tempDir, Clock::duration delay = {},
                                           int signal = 0) {
  const pid_t pid = StartEtbtool(arguments, tempDir);
  AwaitHandlers(pid);
  const Clock::time_point started = Clock::now();
  if (signal != 0) {
    std::this_thread::sleep_for(delay);
    ::kill(pid, signal);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {status, Clock::now() - started};
}

TEST(Interrupts, EachSignalAtEachMomentLeavesNothingBehind) {
  ScratchDir dir;
  const std::string tmp = dir.path() + "/tmp";
  const std::string out = dir.path() + "/out";
  fs::create_directory(tmp);
  fs::create_directory(out);
  std::string table;
  for (int i = 0; i < 100000; ++i) {
    table += std::to_string(i) + "<@@>Component " + std::to_string(i) + "<@@>Torque " +
             std::to_string(i % 89) + "<@@>" + std::to_string(i * 7919 % 100003) +
             " Nm<@@>Checked on line " + std::to_string(i) + "<@@>part.znd<@@>0<@@>0\n";
  }
  const std::string in = dir.Write("in.etb", table);
  const std::string csv = dir.path() + "/in.csv";
  ASSERT_EQ(RunEtbtool({"export", in, csv, "--format", "csv"}, tmp).first, 0);
  const std::string archive = dir.path() + "/session.zip";
  testing_support::WriteZip(archive, {{"s.etb", table}, {"s.ast", "x"}});

  const std::vector<std::vector<std::string>> commands = {
      {"save", in, out + "/t.etb"},
      {"export", in, out + "/t.csv", "--format", "csv"},
      {"import", csv, out + "/t.etb"},
      {"session", archive},
  };
  const std::set<std::string> targets = {"t.etb", "t.etb.1", "t.csv"};
  for (const std::vector<std::string>& command : commands) {
    const auto [undisturbed, whole] = RunEtbtool(command, tmp);
    ASSERT_EQ(undisturbed, 0) << command[0];
    int interrupted = 0;
    for (int moment = 0; moment < 6; ++moment) {
      const int signal = std::vector<int>{SIGINT, SIGTERM, SIGHUP}[std::size_t(moment % 3)];
      const int status = RunEtbtool(command, tmp, whole * (2 * moment + 1) / 12, signal).first;
      SCOPED_TRACE(command[0] + ", " + strsignal(signal) + " at " + std::to_string(2 * moment + 1) +
                   "/12 of its time");
      ASSERT_TRUE(WIFEXITED(status)) << "stopped by signal " << WTERMSIG(status);
      EXPECT_TRUE(WEXITSTATUS(status) == 128 + signal || WEXITSTATUS(status) == 0)
          << WEXITSTATUS(status);
      interrupted += WEXITSTATUS(status) == 128 + signal ? 1 : 0;
      EXPECT_EQ(Names(tmp), std::set<std::string>());
      for (const std::string& name : Names(out)) EXPECT_EQ(targets.count(name), 1U) << name;
    }
    EXPECT_GT(interrupted, 2) << command[0] << ": too few signals came before the end";
  }
}

}  // namespace
