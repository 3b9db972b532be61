#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ScratchDir.h"
#include "du/FileSystem.h"
#include "standin/FileFailure.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostTemp.h"
#include "standin/Temporaries.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScratchDir;

std::size_t FilesIn(const std::string& folder) {
  return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileSystem, MkTempFileMakesANewEmptyFileInTheHostsFolder) {
  const std::string first = du::FileSystem::MkTempFile(nullptr, "tmp-", ".x");
  const std::string second = du::FileSystem::MkTempFile(nullptr, "tmp-", ".x");
  EXPECT_NE(first, second);
  EXPECT_EQ(fs::path(first).parent_path(), du::FileSystem::GetTempDir(true));
  EXPECT_EQ(fs::path(first).filename().string().substr(0, 4), "tmp-");
  EXPECT_EQ(fs::path(first).extension(), ".x");
  EXPECT_EQ(fs::file_size(first), 0U);
  EXPECT_TRUE(du::FileSystem::Unlink(first, false) && du::FileSystem::Unlink(second, false));
}

// A failed copy leaves the target as it was and no sibling temporary behind.
TEST(FileSystem, CopyFileReplacesTheTargetWholeAndKeepsItsMode) {
  ScratchDir dir;
  const std::string content(300000, 's');
  const std::string source = dir.Write("source", content);
  const std::string target = dir.Write("target", "old");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  EXPECT_TRUE(du::FileSystem::CopyFile(source, target));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600U);
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = dir.path() + "/missing/target";
  const struct {
    std::string from, to, failed, reason;
  } refused[] = {
      {dir.path() + "/none", target, dir.path() + "/none", "No such file or directory"},
      {dir.path(), target, dir.path(), "Is a directory"},
      {fifo, target, fifo, "not a regular file (a FIFO)"},  // and no wait for a writer
      {source, missing, missing, "No such file or directory"},
  };
  for (const auto& copy : refused) {
    EXPECT_FALSE(du::FileSystem::CopyFile(copy.from, copy.to)) << copy.from;
    const standin::FileFailure failure = standin::TakeFileFailure();
    EXPECT_EQ(failure.path + ": " + failure.reason, copy.failed + ": " + copy.reason);
  }
  EXPECT_EQ(ReadFile(target), content);
  EXPECT_EQ(FilesIn(dir.path()), 3U);
}

TEST(FileSystem, BackupFileKeepsTheNewestCopiesNumbered) {
  ScratchDir dir;
  const std::string path = dir.path() + "/t.etb";
  for (int version = 1; version <= 4; ++version) {
    std::ofstream(path) << "v" << version;
    EXPECT_TRUE(du::FileSystem::BackupFile(path, 3));
  }
  EXPECT_EQ(ReadFile(path + ".1") + ReadFile(path + ".2") + ReadFile(path + ".3"), "v4v3v2");
  EXPECT_FALSE(fs::exists(path + ".4"));
  // Backups of an unchanged file (saves that failed, or saved nothing new) keep the history; one
  // of the same size with other bytes is a new backup.
  for (int again = 0; again < 3; ++again) EXPECT_TRUE(du::FileSystem::BackupFile(path, 3));
  EXPECT_EQ(ReadFile(path + ".1") + ReadFile(path + ".2") + ReadFile(path + ".3"), "v4v3v2");
  std::ofstream(path) << "v5";
  EXPECT_TRUE(du::FileSystem::BackupFile(path, 3));
  EXPECT_EQ(ReadFile(path + ".1") + ReadFile(path + ".2") + ReadFile(path + ".3"), "v5v4v3");
  EXPECT_TRUE(du::FileSystem::BackupFile(path, 0)) << "no backups wanted";
  EXPECT_FALSE(du::FileSystem::BackupFile(dir.path(), 2)) << "a folder cannot be copied";
}

// A file the user named through a symbolic link is written where the link points; the link stays
// a link, and the backups and the temporary copy live beside the file it points at.
TEST(FileSystem, CopyAndBackupWriteThroughSymbolicLinks) {
  ScratchDir dir;
  fs::create_directories(dir.path() + "/links");
  const std::string source = dir.Write("source", "new");
  fs::create_directories(dir.path() + "/data");
  const std::string file = dir.path() + "/data/table.etb";
  for (const std::string& pointsAt : {std::string("../data/table.etb"), file, std::string("0")}) {
    SCOPED_TRACE(pointsAt);
    std::ofstream(file) << "old";
    fs::remove(file + ".1");
    const std::string link =
        dir.path() + "/links/" + std::to_string(FilesIn(dir.path() + "/links"));
    fs::create_symlink(pointsAt, link);
    EXPECT_TRUE(du::FileSystem::BackupFile(link, 3));
    EXPECT_TRUE(du::FileSystem::CopyFile(source, link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(file) + ReadFile(file + ".1"), "newold");
  }
  EXPECT_EQ(FilesIn(dir.path() + "/links"), 3U) << "only the links";
  EXPECT_EQ(FilesIn(dir.path() + "/data"), 2U) << "the file and its backup";

  fs::create_symlink("../data/made.etb", dir.path() + "/links/dangling");
  EXPECT_TRUE(du::FileSystem::CopyFile(source, dir.path() + "/links/dangling"));
  EXPECT_EQ(ReadFile(dir.path() + "/data/made.etb"), "new");
  // Links that lead round in a circle are refused, and stay links.
  fs::create_symlink("loop", dir.path() + "/links/circle");
  fs::create_symlink("circle", dir.path() + "/links/loop");
  EXPECT_FALSE(du::FileSystem::CopyFile(source, dir.path() + "/links/loop"));
  EXPECT_EQ(standin::TakeFileFailure().reason, std::strerror(ELOOP));
  EXPECT_TRUE(fs::is_symlink(dir.path() + "/links/loop"));
  EXPECT_EQ(FilesIn(dir.path() + "/links"), 6U);
}

// A faulted call fails without touching any file; a count of faults runs out.
TEST(FileSystem, EveryOperationCanBeMadeToFail) {
  ScratchDir dir;
  const std::string file = dir.Write("f", "x");
  using Op = standin::FileSystemOperation;
  standin::FailFileSystem(Op::kCopyFile, 2);
  EXPECT_FALSE(du::FileSystem::CopyFile(file, file + ".c"));
  EXPECT_FALSE(du::FileSystem::CopyFile(file, file + ".c"));
  EXPECT_TRUE(du::FileSystem::CopyFile(file, file + ".c"));
  for (const Op op :
       {Op::kMkTempFile, Op::kBackupFile, Op::kFileExists, Op::kUnlink, Op::kRenameFile}) {
    standin::FailFileSystem(op);
  }
  EXPECT_EQ(du::FileSystem::MkTempFile(dir.path().c_str(), "p", ""), "");
  EXPECT_FALSE(du::FileSystem::BackupFile(file, 1));
  EXPECT_FALSE(du::FileSystem::FileExists(file));
  EXPECT_FALSE(du::FileSystem::Unlink(file, false));
  EXPECT_FALSE(du::FileSystem::RenameFile(file, file + ".r"));
  EXPECT_EQ(FilesIn(dir.path()), 2U);
  EXPECT_EQ(ReadFile(file), "x");
}

// What an interrupted host leaves is removed whole: folders with everything in them, and never
// what a link inside them points at.
TEST(FileSystem, RemoveTemporariesTakesFoldersWholeAndFollowsNoLink) {
  ScratchDir dir;
  const std::string outside = dir.Write("outside", "kept");
  const std::string folder = dir.path() + "/host";
  fs::create_directories(folder + "/a/b");
  dir.Write("host/a/b/file", "x");
  fs::create_symlink(dir.path(), folder + "/a/up");
  const std::string loose = dir.Write("loose", "y");
  const standin::TemporarySlot slots[] = {standin::TrackTemporary(folder, true),
                                          standin::TrackTemporary(loose, false)};
  standin::RemoveTemporaries();
  for (const standin::TemporarySlot slot : slots) standin::ForgetTemporary(slot);
  standin::RemoveHostTempDir();  // it went too: the next test's host makes a new one
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(loose));
  EXPECT_EQ(ReadFile(outside), "kept");
}

}  // namespace
