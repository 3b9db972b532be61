#pragma once

#include <cstdio>
#include <string>

#include "standin/Fetch.h"
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

}  // namespace fuzzhost
