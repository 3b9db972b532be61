#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

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

TEST_F(BackupStreamTest, CommitReplacesTheTargetOnlyWhenEveryStepWorked) {
  using Op = standin::FileSystemOperation;
  struct Case {
    const char* name;
    bool existing, failedWrite;
    std::optional<Op> fault;
    const char *target, *backup;  // nullptr: whatever
    bool committed;
  };
  const Case cases[] = {
      {"new target", false, false, std::nullopt, "new\n", "<missing>", true},
      {"existing target", true, false, std::nullopt, "new\n", "old\n", true},
      {"a failed write still backs up", true, true, std::nullopt, "old\n", "old\n", false},
      {"backup fails", true, false, Op::kBackupFile, "old\n", nullptr, false},
      {"copy fails", true, false, Op::kCopyFile, "old\n", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(target);
    fs::remove(target + ".1");
    if (c.existing) dir.Write("table.etb", "old\n");
    du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
    ASSERT_TRUE(stream.is_open());
    EXPECT_EQ(TemporaryFiles().size(), 1U);
    stream << "new\n";
    EXPECT_EQ(ReadFile(target), c.existing ? "old\n" : "<missing>") << "never written in place";
    if (c.failedWrite) stream.setstate(std::ios_base::badbit);
    if (c.fault) standin::FailFileSystem(*c.fault);
    stream.close(10);
    standin::ClearFileSystemFaults();
    EXPECT_EQ(!stream.fail(), c.committed);
    EXPECT_EQ(ReadFile(target), c.target);
    if (c.backup != nullptr) {
      EXPECT_EQ(ReadFile(target + ".1"), c.backup);
    }
    EXPECT_TRUE(TemporaryFiles().empty());
    stream.close(10);  // nothing open any more
    EXPECT_TRUE(stream.fail());
  }
}

TEST_F(BackupStreamTest, WhatIsNeverCommittedLeavesTheTargetAlone) {
  dir.Write("table.etb", "old\n");
  {
    du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
    stream << "half";
  }
  EXPECT_TRUE(TemporaryFiles().empty());
  du::BasicBackupFstream<char> stream(target.c_str(), kSaveMode);
  stream << "dropped\n";
  const std::string other = dir.path() + "/other.etb";
  stream.open(other.c_str(), kSaveMode);  // a second open drops the first output
  EXPECT_EQ(TemporaryFiles().size(), 1U);
  stream << "kept\n";
  stream.close(10);
  EXPECT_EQ(ReadFile(target), "old\n");
  EXPECT_EQ(ReadFile(other), "kept\n");

  standin::FailFileSystem(standin::FileSystemOperation::kMkTempFile);
  du::BasicBackupFstream<char> noTemporary(target.c_str(), kSaveMode);
  EXPECT_FALSE(noTemporary.is_open());
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

}  // namespace
