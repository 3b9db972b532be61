#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "NaiveParse.h"

// A second baseline, written for speed by hand: the file read with `read` in large blocks, lines
// and separators found with memchr, one std::string per text column. It makes exactly the records
// NaiveParse makes, so the two differ only in how they read.
namespace etbbench {

// Appends the file's records to `records`; false when the file cannot be opened or read.
// `blockBytes` is the size of each read (a line longer than a block grows the buffer).
bool FastParse(const std::string& path, std::vector<NaiveRecord>& records,
               std::size_t blockBytes = std::size_t{1} << 20);

}  // namespace etbbench
