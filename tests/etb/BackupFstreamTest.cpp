#include <gtest/gtest.h>

#include <filesystem>

#include "EtbFiles.h"
#include "du/FileSystem.h"
#include "etb/BasicBackupFstream.h"
#include "standin/FileSystemFaults.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScratchDir;

constexpr std::ios_base::openmode kSaveMode =
    std::ios_base::out | std::ios_base::trunc | std::ios_base::binary;

// The stream's temporary files live in the host's temporary folder.
std::vector<std::string> TemporaryFiles() {
  std::vector<std::string> found;
  for (const auto& item : fs::directory_iterator(du::FileSystem::GetTempDir(true))) {
    if (item.path().filename().string().rfind("hlw-tmp-file-", 0) == 0) {
      found.push_back(item.path().string());
    }
  }
  return found;
}

struct BackupStreamTest : testing::Test {
  ~BackupStreamTest() override { standin::ClearFileSystemFaults(); }
  ScratchDir dir;
  std::string target = dir.path() + "/table.etb";
};

TEST_F(BackupStreamTest, CommitCreatesAMissingTargetWithoutBackup) {
  du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
  ASSERT_TRUE(stream.is_open());
  EXPECT_EQ(TemporaryFiles().size(), 1U);
  stream << "new\n";
  EXPECT_EQ(ReadFile(target), "<missing>") << "never written in place";
  stream.close(10);
  EXPECT_EQ(stream.rdstate(), 0);
  EXPECT_EQ(ReadFile(target), "new\n");
  EXPECT_FALSE(fs::exists(target + ".1"));
  EXPECT_TRUE(TemporaryFiles().empty());

  stream.close(10);  // nothing open any more
  EXPECT_TRUE(stream.fail());
  EXPECT_EQ(ReadFile(target), "new\n");
}

TEST_F(BackupStreamTest, CommitBacksUpAnExistingTargetFirst) {
  dir.Write("table.etb", "old\n");
  {
    du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
    stream << "new\n";
    stream.close(10);
    EXPECT_EQ(stream.rdstate(), 0);
  }
  EXPECT_EQ(ReadFile(target), "new\n");
  EXPECT_EQ(ReadFile(target + ".1"), "old\n");
}

TEST_F(BackupStreamTest, DestroyingWithoutCommitLeavesTheTargetAlone) {
  dir.Write("table.etb", "old\n");
  {
    du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
    stream << "half";
  }
  EXPECT_EQ(ReadFile(target), "old\n");
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(BackupStreamTest, AFailedWriteStillBacksUpButNeverCopies) {
  dir.Write("table.etb", "old\n");
  du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
  stream << "new\n";
  stream.setstate(std::ios_base::badbit);  // as a failed write leaves it
  stream.close(10);
  EXPECT_FALSE(stream.good());
  EXPECT_EQ(ReadFile(target), "old\n");
  EXPECT_EQ(ReadFile(target + ".1"), "old\n");
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(BackupStreamTest, OpeningWithoutTruncStartsFromACopyOfTheTarget) {
  for (const auto& [mode, expected] :
       {std::pair{std::ios_base::out | std::ios_base::app, "old\nmor"},
        std::pair{std::ios_base::in | std::ios_base::out, "mor\n"}}) {
    dir.Write("table.etb", "old\n");
    du::BasicBackupFstream<char> stream(target.c_str(), mode);
    ASSERT_TRUE(stream.is_open());
    stream << "mor";
    stream.close(0);
    EXPECT_EQ(ReadFile(target), expected);
  }

  standin::FailFileSystem(standin::FileSystemOperation::kCopyFile);
  du::BasicBackupFstream<char> refused(target.c_str(), std::ios_base::out | std::ios_base::app);
  EXPECT_FALSE(refused.is_open());
  EXPECT_TRUE(refused.fail());
  EXPECT_TRUE(TemporaryFiles().empty()) << "the temporary name is not left behind";
}

TEST_F(BackupStreamTest, ASecondOpenDropsTheFirstOutputUncommitted) {
  dir.Write("table.etb", "old\n");
  du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
  stream << "dropped\n";
  const std::string other = dir.path() + "/other.etb";
  stream.open(other.c_str(), kSaveMode);
  EXPECT_EQ(TemporaryFiles().size(), 1U);
  stream << "kept\n";
  stream.close(10);
  EXPECT_EQ(ReadFile(target), "old\n");
  EXPECT_EQ(ReadFile(other), "kept\n");
}

TEST_F(BackupStreamTest, CommitFailuresSetFailbitAndLeaveTheTarget) {
  for (standin::FileSystemOperation fault :
       {standin::FileSystemOperation::kBackupFile, standin::FileSystemOperation::kCopyFile}) {
    dir.Write("table.etb", "old\n");
    du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
    stream << "new\n";
    standin::FailFileSystem(fault);
    stream.close(10);
    EXPECT_TRUE(stream.fail());
    EXPECT_EQ(ReadFile(target), "old\n");
    EXPECT_TRUE(TemporaryFiles().empty());
  }
  standin::FailFileSystem(standin::FileSystemOperation::kMkTempFile);
  du::BasicBackupFstream<char> noTemporary(target.c_str(), kSaveMode);
  EXPECT_FALSE(noTemporary.is_open());
}

}  // namespace
