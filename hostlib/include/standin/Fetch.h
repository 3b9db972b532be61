#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "znk/AsyncEvent.h"

// The host side of FileParser::GetFile. A fetch puts the source into the host's download cache
// (GetTempDir(true)/fetch-cache, under a name that always has an extension) at once, as a second
// name for the file where the cache shares its file system and as a copy elsewhere, and queues
// its completion: status 0 with the cached file, or 1 when the source cannot be read. Nothing
// reaches a parser until the host pumps, and the cached file is removed once its completion has
// been delivered (a parser that moved it keeps it).
namespace standin {

// Delivers every completion queued so far, oldest first, and answers how many; may run on any
// thread. Completions queued while pumping wait for the next pump.
std::size_t PumpFetches();

// Why each fetch that failed since the last call failed, oldest first (the last 16 at most),
// one line each: "SOURCE: REASON", the reason being e.g. "no such file", "permission denied",
// "is a directory", "not a regular file (a FIFO)". Such a source fails at once: the fetch never
// waits for a FIFO's writer.
std::vector<std::string> TakeFetchFailures();

// Requests queued and not yet delivered.
std::vector<unsigned long long> PendingFetches();

// Drops every pending request without calling its parser (and so releases the parsers).
std::size_t CancelFetches();

}  // namespace standin
