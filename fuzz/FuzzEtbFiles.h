#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzHost.h"
#include "du/FileSystem.h"
#include "etb/Parser.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"

// Files for the fuzz targets that go through etbtool's readers: a folder of their own, loads
// through the module's ETB loader, and the host's fetch copies cleared after every input.
namespace fuzzhost {

// The target's folder, made on first use and removed at exit with the host's temporary folder.
inline const std::string& Folder(const char* target) {
  static const std::string* folder = [target] {
    std::string made = du::FileSystem::GetTempDir(false) + "/etb-fuzz-XXXXXX";
    if (::mkdtemp(made.data()) == nullptr) Fail(target, "no temporary folder");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(*folder, ignored);
      standin::RemoveHostTempDir();
    });
    return new std::string(made);
  }();
  return *folder;
}

// `path` loaded as a host loads it, for a product file `product`; a failed load fails the target.
inline du::SmartPtr<znk::AnnoSetTable> LoadEtb(const char* target, const std::string& path,
                                               const std::string& product) {
  du::SmartPtr<znk::AnnoSetTable> table = standin::NewAnnotationTable(path, product);
  du::SmartPtr<etb::Parser> parser(new etb::Parser);
  if (parser.IsNull() || !standin::LoadAnnotationTable(*parser, table).succeeded()) {
    Fail(target, "the load failed");
  }
  return table;
}

// Every load leaves a copy of its file in the host's fetch cache.
inline void ClearFetchCache() {
  std::error_code ignored;
  std::filesystem::remove_all(
      std::filesystem::path(du::FileSystem::GetTempDir(true)) / "fetch-cache", ignored);
}

}  // namespace fuzzhost
