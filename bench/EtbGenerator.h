#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Synthetic ETB files for the benchmarks. The same arguments always give the same bytes, so runs
// on different days and machines parse the same input.
namespace etbbench {

struct GeneratedFile {
  std::uint64_t bytes = 0;
  std::uint64_t records = 0;  // each one an entry for a loader
  std::uint64_t lines = 0;    // more than records: some comments go on over a second line
};

// `records` records of 7 to 11 columns, shaped like real tables: names, properties and files
// repeat, some texts are UTF-8, about one in ten has a comment and some comments run over two
// lines. False in `ok` when the file cannot be written.
GeneratedFile WriteRecords(const std::string& path, std::size_t records, bool& ok,
                           std::uint64_t seed = 20240611);

// `lines` lines with three separators each, which a loader reads and skips.
GeneratedFile WriteSkippedLines(const std::string& path, std::size_t lines, bool& ok);

}  // namespace etbbench
