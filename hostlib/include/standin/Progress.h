#pragma once

#include <cstdint>

#include "standin/FileSystemFaults.h"

// What a host's progress display and phase timings read while a load or save runs. The counters
// are written without atomic read-modify-write (they sit in the inner loops) and may lag or miss
// a count when several threads work at once: good for a display, not for accounting.
namespace standin {

// Bytes read through du::FileReader since the process started.
std::uint64_t BytesReadFromFiles();
// Annotation set table entries made since the process started.
std::uint64_t EntriesMade();
// Entries handed out by AnnoSetTable::GetEntry since the process started.
std::uint64_t EntriesHandedOut();

// `watcher` (null: none) is called at the start of every operation of du::FileSystem, on the
// calling thread, before any fault switch is consulted.
void WatchFileOperations(void (*watcher)(FileSystemOperation operation));

}  // namespace standin
