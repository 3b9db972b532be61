#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "du/FileSystem.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"

// What every fuzz target checks after an input: the host is as it was before it.
namespace fuzzhost {

[[noreturn]] inline void Fail(const char* target, const char* what) {
  std::fprintf(stderr, "%s: %s\n", target, what);
  std::fflush(stderr);
  __builtin_trap();
}

struct Baseline {
  long refCounted = 0;
  long symbolTexts = 0;
};

inline Baseline Take() {
  standin::EnableReferenceLedger(true);
  return {standin::LiveRefCountedObjects(), standin::LiveSymbolTexts()};
}

inline void CheckClean(const char* target, const Baseline& baseline) {
  if (standin::CancelFetches() != 0) Fail(target, "a fetch was left pending");
  if (!standin::TakeLedgerViolations().empty()) Fail(target, "reference ledger breach");
  if (!standin::OutstandingReferences().empty()) Fail(target, "a reference is still held");
  if (standin::GetPoolCounters().liveObjects != 0) Fail(target, "pooled objects left alive");
  if (standin::LiveRefCountedObjects() != baseline.refCounted) Fail(target, "objects left alive");
  if (standin::LiveSymbolTexts() != baseline.symbolTexts) Fail(target, "symbol texts left alive");
}

// The target's folder, made on first use under TMPDIR, or else on a memory file system when
// there is one (every input is written and read back). It becomes TMPDIR, so that the host's
// temporary folder goes in it too, and goes with it when the process ends.
inline const std::string& ScratchFolder(const char* target) {
  namespace fs = std::filesystem;
  static const std::string* folder = [target] {
    std::error_code error;
    const char* tmpdir = std::getenv("TMPDIR");
    std::string made = tmpdir != nullptr                     ? tmpdir
                       : fs::is_directory("/dev/shm", error) ? "/dev/shm"
                                                             : "/tmp";
    made += std::string("/") + target + "-XXXXXX";
    if (::mkdtemp(made.data()) == nullptr) Fail(target, "no temporary folder");
    ::setenv("TMPDIR", made.c_str(), 1);
    std::atexit([] {
      standin::RemoveHostTempDir();
      std::error_code ignored;
      fs::remove_all(*folder, ignored);
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

// Every fetch leaves a copy of its file in the host's cache; without this a fuzzer fills the disk.
inline void ClearFetchCache() {
  std::error_code ignored;
  std::filesystem::remove_all(
      std::filesystem::path(du::FileSystem::GetTempDir(true)) / "fetch-cache", ignored);
}

}  // namespace fuzzhost
