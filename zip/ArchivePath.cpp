#include "zip/ArchivePath.h"

#include "du/FileSystem.h"

namespace zip {

std::string ArchivePathFor(const std::string& delivered) {
  const std::size_t dot = delivered.rfind('.');
  if (dot == std::string::npos || delivered.compare(dot, std::string::npos, ".zip") == 0) {
    return delivered;
  }
  std::string archivePath = delivered.substr(0, dot) + ".zip";
  du::FileSystem::RenameFile(delivered, archivePath);  // a failed move shows when reading
  return archivePath;
}

}  // namespace zip
