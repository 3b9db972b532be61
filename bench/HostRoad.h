#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "du/SmartPtr.h"
#include "standin/HostLoad.h"
#include "znk/AnnoSetTable.h"

// What a host sets up around a load, shared by the benchmarks and the memory probe.
namespace etbbench {

// A fresh table whose structure names `path` as its file source: the host fetches (copies) the
// file, then it is parsed.
du::SmartPtr<znk::AnnoSetTable> FetchedTable(const std::string& path);

// A fresh table whose structure names `path` as the session-state ETB file: parsed in place,
// entries go to the structure.
du::SmartPtr<znk::AnnoSetTable> SessionStateTable(const std::string& path);

// A load of `table` by a new etb::Parser, as the host drives one (standin::LoadAnnotationTable).
standin::LoadOutcome LoadWithNewParser(const du::SmartPtr<znk::AnnoSetTable>& table,
                                       const std::function<void()>& requested = {});

// Deletes the copies the host's fetch left in its cache; a real host would keep them, but a
// benchmark that fetches a 100 MB file per iteration would fill the disk.
void RemoveFetchedCopies();

// Records per generated table: 1,000,000, or ETB_BENCH_RECORDS (e.g. for profiling).
std::size_t RecordCount();

// A new folder under the system's temporary folder; "" when it cannot be made.
std::string MakeScratchFolder(const char* prefix);

}  // namespace etbbench
