// etbtool save end to end: what lands in OUT for each way of saving, and the exit statuses.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ReadFile;
using testing_support::ScratchDir;

const std::string kInput =
    Etb("1|A|p|v|n|a.znd|0|0 a comment|2\n2|caf\xC3\xA9|p|v|n|b.znd|0|1|0|x1\n");

TEST(EtbtoolSave, EachWayOfSavingWritesItsRecords) {
  ScratchDir dir;
  const std::string in = dir.Write("in.etb", kInput);
  const std::string out = dir.path() + "/out.etb";
  struct Case {
    std::string options;
    std::string expected;
  };
  const std::string first = Etb("1|A|p|v|n|a.znd|0|");
  const std::string second = Etb("2|caf\xC3\xA9|p|v|n|b.znd|0|1|0|x1\n");
  const Case cases[] = {
      {"", first + Etb("0|2\n") + second},
      {"--partial 1", first + Etb("0|2\n")},
      {"--partial 0", second},
      {"--default --mark 0", first + Etb("0|2\n") + second},
      {"--default --mark 1", first + "0\n" + second.substr(0, second.size() - 8) + Etb("2|x1\n")},
      {"--default", first + "0\n" + second},
      // An "edz" product's texts are read as the system set and written back to it: bytes
      // come back as they were. Without --convert the UTF-8 of the reading is written.
      {"--model m.edz --convert", first + Etb("0|2\n") + second},
      {"--model m.edz",
       first + Etb("0|2\n2|caf\xC3\x83\xC2\xA9") + second.substr(second.find("<@@>", 2))},
      {"--default --model m.edz", first + "0\n" + second},  // default tables always convert
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    EXPECT_EQ(Etbtool("save '" + in + "' '" + out + "' " + c.options).status, 0);
    EXPECT_EQ(ReadFile(out), c.expected);
  }
}

TEST(EtbtoolSave, MistakesAndFailuresHaveTheirExitStatus) {
  ScratchDir dir;
  const std::string out = dir.path() + "/out.etb";
  const std::string inOut = "'" + dir.Write("in.etb", kInput) + "' '" + out + "'";
  const std::pair<std::string, int> cases[] = {
      {inOut + " --partial 2", 2},
      {inOut + " --default --mark 5", 2},
      {inOut + " --mark 1", 2},
      {inOut + " --partial 0 --default", 2},
      {"'" + dir.Write("empty.etb", "") + "' '" + out + "' --partial 0", 2},
      {"'" + dir.path() + "/in.etb' '" + dir.path() + "/no/out.etb'", 1},
      {"'" + dir.path() + "/none.etb' '" + out + "'", 1},
  };
  for (const auto& [arguments, status] : cases) {
    EXPECT_EQ(Etbtool("save " + arguments).status, status) << arguments;
    EXPECT_EQ(ReadFile(out), "<missing>");
  }
}

// Every command that writes a file says why it could not, naming the target, the system's reason
// and, for the saves, `backup` when making the backup failed.
void ExpectEveryWriterSays(const ScratchDir& dir, const std::string& target,
                           const std::string& reason, const std::string& backup = "") {
  const std::string in = dir.Write("in.etb", kInput);
  const std::string csv = dir.path() + "/in.csv";
  ASSERT_EQ(Etbtool("export '" + in + "' '" + csv + "' --format csv").status, 0);
  const std::string saveFailure = "etbtool: cannot save " + target + ": " + reason +
                                  (backup.empty() ? "" : " (" + backup + ")") + "\n";
  const std::pair<std::string, std::string> commands[] = {
      {"save '" + in + "'", saveFailure},
      {"import '" + csv + "'", saveFailure},
      {"prefs export --store '" + dir.path() + "/store.json'", saveFailure},
      {"export --format json '" + in + "'",
       "etbtool: cannot write " + target + ": " + reason + "\n"},
  };
  for (const auto& [command, failure] : commands) {
    const testing_support::ToolRun run = Etbtool(command + " '" + target + "'");
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_NE(run.err.find(failure), std::string::npos) << command << "\n" << run.err;
  }
}

TEST(EtbtoolSave, AFailedWriteSaysWhy) {
  ScratchDir dir;
  ExpectEveryWriterSays(dir, dir.path() + "/no/out.etb", "No such file or directory");
  const std::string folder = dir.path() + "/folder.etb";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ExpectEveryWriterSays(dir, folder, "Is a directory");
}

// On a full disk every failed save keeps the backups as they were: a backup copy that cannot be
// made moves none of the older ones.
TEST(EtbtoolSave, SavesOntoAFullDiskSayWhyAndKeepTheBackups) {
  ScratchDir dir;
  const std::string disk = dir.path() + "/disk";
  ASSERT_EQ(::mkdir(disk.c_str(), 0755), 0);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "no small file system to fill here (mount: " << std::strerror(errno) << ")";
  }
  const std::unique_ptr<const char, void (*)(const char*)> mounted(
      disk.c_str(), [](const char* path) { ::umount2(path, MNT_DETACH); });
  const std::string target = disk + "/t.etb";
  dir.Write("disk/t.etb", "v1\n");
  dir.Write("disk/t.etb.1", "old backup\n");
  std::ofstream filler(disk + "/filler", std::ios::binary);
  const std::string block(4096, 'x');
  while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
  }
  filler.close();
  ExpectEveryWriterSays(dir, target, "No space left on device", target + ".1");
  for (int save = 0; save < 11; ++save)
    Etbtool("save '" + dir.path() + "/in.etb' '" + target + "'");
  EXPECT_EQ(ReadFile(target), "v1\n");
  EXPECT_EQ(ReadFile(target + ".1"), "old backup\n");
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(disk)) {
    left.insert(entry.path().filename().string());
  }
  EXPECT_EQ(left, (std::set<std::string>{"filler", "t.etb", "t.etb.1"}));
}

}  // namespace
