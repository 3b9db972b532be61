#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Synthetic ETB files for the benchmarks. The same arguments always give the same bytes, so runs
// on different days and machines parse the same input.
namespace etbbench {

// How the texts of a generated table repeat.
enum class Corpus {
  kRepetitive,  // every text from a few dozen strings
  kProduct,     // names and files of 50,000 parts, 90% unique annotation names, 40% UTF-8
  kUnique,      // every text column unique in the file: the worst case for sharing texts
  kMixed,       // names of 2,000 shared words with numbers, mostly unique; pooled properties and
                // values; a third of the texts UTF-8 (some of it CJK)
};

inline constexpr Corpus kCorpora[] = {Corpus::kRepetitive, Corpus::kProduct, Corpus::kUnique,
                                      Corpus::kMixed};

// "repetitive", "product", "unique" or "mixed"; false when the name is none of them.
bool CorpusNamed(const std::string& name, Corpus& corpus);
const char* NameOf(Corpus corpus);

// The corpus ETB_BENCH_CORPUS names; repetitive when it is not set.
Corpus ConfiguredCorpus();

struct GeneratedFile {
  std::uint64_t bytes = 0;
  std::uint64_t records = 0;  // each one an entry for a loader
  std::uint64_t lines = 0;    // more than records: some comments go on over a second line
};

// `records` records of 7 to 11 columns, shaped like real tables: about one in ten has a comment
// and some comments run over two lines; the texts repeat as `corpus` says. False in `ok` when the
// file cannot be written.
GeneratedFile WriteRecords(const std::string& path, std::size_t records, bool& ok,
                           Corpus corpus = Corpus::kRepetitive, std::uint64_t seed = 20240611);

// `lines` lines with three separators each, which a loader reads and skips.
GeneratedFile WriteSkippedLines(const std::string& path, std::size_t lines, bool& ok);

}  // namespace etbbench
