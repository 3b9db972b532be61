#pragma once

#include <cstddef>
#include <string>

#include "du/SmartPtr.h"
#include "znk/AnnoSetTable.h"

// What a host sets up around a load, shared by the benchmarks and the memory probe.
namespace etbbench {

enum class Road {
  kFetch,         // the table's file source: the host fetches (copies) the file, then it is parsed
  kSessionState,  // the session-state ETB file: parsed in place, entries go to the structure
};

// A fresh table whose structure names `path` for the given road.
du::SmartPtr<znk::AnnoSetTable> MakeTable(const std::string& path, Road road);

// Deletes the copies the host's fetch left in its cache; a real host would keep them, but a
// benchmark that fetches a 100 MB file per iteration would fill the disk.
void RemoveFetchedCopies();

// Records per generated table: 1,000,000, or ETB_BENCH_RECORDS (e.g. for profiling).
std::size_t RecordCount();

// A new folder under the system's temporary folder; "" when it cannot be made.
std::string MakeScratchFolder(const char* prefix);

}  // namespace etbbench
