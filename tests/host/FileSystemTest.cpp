#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScratchDir.h"
#include "du/FileSystem.h"
#include "standin/FileSystemFaults.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScratchDir;

std::string Read(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

std::size_t FilesIn(const std::string& folder) {
  return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileSystem, MkTempFileMakesANewEmptyFileEachTime) {
  ScratchDir dir;
  const std::string first = du::FileSystem::MkTempFile(dir.path().c_str(), "hlw-tmp-file-", ".x");
  const std::string second = du::FileSystem::MkTempFile(dir.path().c_str(), "hlw-tmp-file-", "");
  EXPECT_NE(first, second);
  EXPECT_EQ(fs::path(first).filename().string().rfind("hlw-tmp-file-", 0), 0U);
  EXPECT_EQ(fs::path(first).extension(), ".x");
  EXPECT_EQ(fs::file_size(first), 0U);
  const std::string inHostTemp = du::FileSystem::MkTempFile(nullptr, "p-", "");
  EXPECT_EQ(fs::path(inHostTemp).parent_path(), du::FileSystem::GetTempDir(true));
  EXPECT_TRUE(du::FileSystem::Unlink(inHostTemp, false));
  EXPECT_EQ(du::FileSystem::MkTempFile((dir.path() + "/missing").c_str(), "p-", ""), "");
}

TEST(FileSystem, CopyFileReplacesTheTargetWholeAndKeepsItsMode) {
  ScratchDir dir;
  const std::string source = dir.Write("source", std::string(300000, 's'));
  const std::string target = dir.Write("target", "old");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  EXPECT_TRUE(du::FileSystem::CopyFile(source, target));
  EXPECT_EQ(Read(target), std::string(300000, 's'));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600U);
  EXPECT_EQ(FilesIn(dir.path()), 2U) << "no sibling temporary left";

  EXPECT_FALSE(du::FileSystem::CopyFile(dir.path() + "/none", target));
  EXPECT_FALSE(du::FileSystem::CopyFile(dir.path(), target)) << "a folder is no file";
  EXPECT_FALSE(du::FileSystem::CopyFile(source, dir.path() + "/missing/target"));
  EXPECT_EQ(Read(target), std::string(300000, 's'));
  EXPECT_EQ(FilesIn(dir.path()), 2U);
}

TEST(FileSystem, BackupFileKeepsTheNewestCopiesNumbered) {
  ScratchDir dir;
  const std::string path = dir.path() + "/t.etb";
  for (int version = 1; version <= 4; ++version) {
    std::ofstream(path) << "v" << version;
    EXPECT_TRUE(du::FileSystem::BackupFile(path, 3));
  }
  EXPECT_EQ(Read(path + ".1"), "v4");
  EXPECT_EQ(Read(path + ".2"), "v3");
  EXPECT_EQ(Read(path + ".3"), "v2");
  EXPECT_FALSE(fs::exists(path + ".4"));
  EXPECT_TRUE(du::FileSystem::BackupFile(path, 0)) << "no backups wanted";
  EXPECT_FALSE(du::FileSystem::BackupFile(dir.path(), 2)) << "a folder cannot be copied";
}

// A file the user named through a symbolic link is written where the link points; the link stays
// a link, and the backups and the temporary copy live beside the file it points at.
TEST(FileSystem, CopyAndBackupWriteThroughSymbolicLinks) {
  ScratchDir dir;
  fs::create_directories(dir.path() + "/data");
  fs::create_directories(dir.path() + "/links");
  const std::string source = dir.Write("source", "new");
  const std::string file = dir.Write("data/table.etb", "old");
  struct Case {
    const char* name;
    std::string pointsAt;
  };
  for (const Case& c : {Case{"relative", "../data/table.etb"}, Case{"absolute", file}}) {
    SCOPED_TRACE(c.name);
    std::ofstream(file) << "old";
    fs::remove(file + ".1");
    const std::string link = dir.path() + "/links/" + c.name + ".etb";
    fs::create_symlink(c.pointsAt, link);
    EXPECT_TRUE(du::FileSystem::BackupFile(link, 3));
    EXPECT_TRUE(du::FileSystem::CopyFile(source, link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(Read(file + ".1"), "old");
  }
  EXPECT_EQ(FilesIn(dir.path() + "/links"), 2U) << "only the links";
  EXPECT_EQ(FilesIn(dir.path() + "/data"), 2U) << "the file and its backup";

  const std::string dangling = dir.path() + "/links/dangling.etb";
  fs::create_symlink("../data/made.etb", dangling);
  EXPECT_TRUE(du::FileSystem::CopyFile(source, dangling));
  EXPECT_EQ(Read(dir.path() + "/data/made.etb"), "new");
  const std::string loop = dir.path() + "/links/loop.etb";
  fs::create_symlink("loop.etb", loop);
  EXPECT_FALSE(du::FileSystem::CopyFile(source, loop));
  EXPECT_TRUE(fs::is_symlink(loop));
}

TEST(FileSystem, EveryOperationCanBeMadeToFail) {
  ScratchDir dir;
  const std::string file = dir.Write("f", "x");
  using Op = standin::FileSystemOperation;
  standin::FailFileSystem(Op::kMkTempFile);
  EXPECT_EQ(du::FileSystem::MkTempFile(dir.path().c_str(), "p", ""), "");
  standin::FailFileSystem(Op::kCopyFile, 2);
  EXPECT_FALSE(du::FileSystem::CopyFile(file, file + ".c"));
  EXPECT_FALSE(du::FileSystem::CopyFile(file, file + ".c"));
  EXPECT_TRUE(du::FileSystem::CopyFile(file, file + ".c")) << "two faults, then it works";
  standin::FailFileSystem(Op::kBackupFile);
  EXPECT_FALSE(du::FileSystem::BackupFile(file, 1));
  standin::FailFileSystem(Op::kFileExists);
  EXPECT_FALSE(du::FileSystem::FileExists(file));
  standin::FailFileSystem(Op::kRenameFile);
  EXPECT_FALSE(du::FileSystem::RenameFile(file, file + ".r"));
  standin::FailFileSystem(Op::kUnlink);
  EXPECT_FALSE(du::FileSystem::Unlink(file, false));
  EXPECT_EQ(Read(file), "x") << "a faulted call touches nothing";
  EXPECT_TRUE(du::FileSystem::RenameFile(file, file + ".r"));
  EXPECT_TRUE(du::FileSystem::FileExists(file + ".r"));
  EXPECT_FALSE(du::FileSystem::FileExists(file));
}

}  // namespace
