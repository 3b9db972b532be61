#pragma once

// Fault switches of the host's file operations (du::FileSystem and du::ZipReader::Extract): a
// faulted call fails as if the disk were full or the folder forbidden, without touching any file;
// only kCopyWrite fails halfway.
namespace standin {

enum class FileSystemOperation {
  kMkTempFile,
  kCopyFile,
  kBackupFile,
  kFileExists,
  kUnlink,
  kRenameFile,
  kExtract,
  // The writing of a copy (CopyFile, BackupFile): half the bytes go through, then ENOSPC.
  kCopyWrite,
};

// The next `times` calls of one operation fail.
void FailFileSystem(FileSystemOperation operation, int times = 1);

// Counting every file operation from now on: the n-th fails, and with `andEveryLater` so does
// every one after it.
void FailFileOperation(long n, bool andEveryLater);
// File operations counted since FailFileOperation (or ClearFileSystemFaults).
long FileOperationsSeen();
// What the last faulted call was.
FileSystemOperation LastFaultedOperation();

// Switches every fault off and restarts the count.
void ClearFileSystemFaults();

}  // namespace standin
