#pragma once

// Fault switches of du::FileSystem: the next `times` calls of an operation fail as if the disk
// were full or the folder forbidden, without touching any file.
namespace standin {

enum class FileSystemOperation {
  kMkTempFile,
  kCopyFile,
  kBackupFile,
  kFileExists,
  kUnlink,
  kRenameFile,
};

void FailFileSystem(FileSystemOperation operation, int times = 1);
// Switches every fault off.
void ClearFileSystemFaults();

}  // namespace standin
