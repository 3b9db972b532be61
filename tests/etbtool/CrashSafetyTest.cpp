// Two hundred saves killed at random moments leave the target complete: the old content or the new
// one, never a mix. The killed etbtool runs with its temporary folder inside the scratch folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using testing_support::ReadFile;
using testing_support::ScratchDir;
using Clock = std::chrono::steady_clock;

// The killed runs cannot clean up: their temporaries go into the scratch folder.
pid_t StartSave(const std::string& in, const std::string& out, const std::string& tempDir) {
  return testing_support::StartEtbtool({"save", in, out}, tempDir);
}

TEST(CrashSafety, AKilledSaveLeavesTheOldOrTheNewTargetWhole) {
  ScratchDir dir;
  std::string table;
  for (int i = 0; i < 60000; ++i) {
    table += std::to_string(i) + "<@@>Component " + std::to_string(i % 97) +
             "<@@>Torque<@@>40 Nm<@@>Check<@@>part.znd<@@>0<@@>0<@@>2<@@>extra\n";
  }
  const std::string in = dir.Write("in.etb", table);
  const std::string target = dir.path() + "/target.etb";
  const std::string old = "old content\n";

  // One undisturbed save gives the new content and the time a save takes.
  dir.Write("target.etb", old);
  const Clock::time_point started = Clock::now();
  const pid_t whole = StartSave(in, target, dir.path());
  int status = 0;
  ASSERT_EQ(waitpid(whole, &status, 0), whole);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto duration =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
  const std::string fresh = ReadFile(target);
  ASSERT_NE(fresh, old);

  std::mt19937 random(20261205);
  std::uniform_int_distribution<long> moment(0, duration.count() * 11 / 10);
  int sawOld = 0;
  int sawNew = 0;
  for (int round = 0; round < 200; ++round) {
    dir.Write("target.etb", old);
    const pid_t pid = StartSave(in, target, dir.path());
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const std::string now = ReadFile(target);
    ASSERT_TRUE(now == old || now == fresh) << "round " << round << ": " << now.size() << " bytes";
    (now == old ? sawOld : sawNew) += 1;
  }
  std::printf("killed saves: %d left the old target, %d the new one\n", sawOld, sawNew);
  EXPECT_GT(sawOld, 0) << "no kill landed before the commit";
}

}  // namespace
