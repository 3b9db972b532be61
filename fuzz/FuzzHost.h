#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "standin/Fetch.h"
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

// A new folder under TMPDIR, or else on a memory file system when there is one (every input is
// written and read back), made TMPDIR so that the host's temporary folder goes in it too. It
// goes, with the host's temporary folder, when the process ends.
inline std::string MakeScratchFolder(const char* target) {
  namespace fs = std::filesystem;
  static std::string folder;
  std::error_code error;
  const char* tmpdir = std::getenv("TMPDIR");
  folder = tmpdir != nullptr ? tmpdir : fs::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
  folder += std::string("/") + target + "-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) Fail(target, "no temporary folder");
  ::setenv("TMPDIR", folder.c_str(), 1);
  std::atexit([] {
    standin::RemoveHostTempDir();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  });
  return folder;
}

}  // namespace fuzzhost
