#include "HostRoad.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "du/FileSystem.h"
#include "etb/Parser.h"
#include "znk/Structure.h"

namespace etbbench {

namespace {
constexpr char kProductFile[] = "product.znd";
}

du::SmartPtr<znk::AnnoSetTable> FetchedTable(const std::string& path) {
  return standin::NewAnnotationTable(path, kProductFile);
}

du::SmartPtr<znk::AnnoSetTable> SessionStateTable(const std::string& path) {
  du::SmartPtr<znk::AnnoSetTable> table = standin::NewAnnotationTable("", kProductFile);
  table->GetStructure()->SetSessionStateEtbFileName(path);
  return table;
}

standin::LoadOutcome LoadWithNewParser(const du::SmartPtr<znk::AnnoSetTable>& table,
                                       const std::function<void()>& requested) {
  const du::SmartPtr<etb::Parser> parser(new etb::Parser);
  return standin::LoadAnnotationTable(*parser, table, requested);
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
