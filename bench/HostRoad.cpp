#include "HostRoad.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "du/FileSystem.h"
#include "znk/Structure.h"

namespace etbbench {

du::SmartPtr<znk::AnnoSetTable> MakeTable(const std::string& path, Road road) {
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  structure->SetFileSource("product.znd");
  if (road == Road::kFetch) {
    structure->SetAnnoSetTableFileSource(path);
  } else {
    structure->SetSessionStateEtbFileName(path);
  }
  return du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable(structure));
}

void RemoveFetchedCopies() {
  namespace fs = std::filesystem;
  std::error_code ignored;
  const fs::path cache = fs::path(du::FileSystem::GetTempDir(true)) / "fetch-cache";
  for (fs::directory_iterator copy(cache, ignored), end; copy != end; copy.increment(ignored)) {
    fs::remove(copy->path(), ignored);
  }
}

std::size_t RecordCount() {
  const char* configured = std::getenv("ETB_BENCH_RECORDS");
  return configured != nullptr ? std::strtoul(configured, nullptr, 10) : 1000000;
}

std::string MakeScratchFolder(const char* prefix) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

}  // namespace etbbench
