#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "CsvTable.h"
#include "JsonReport.h"
#include "JsonTable.h"
#include "OutputFile.h"

namespace etbtool {

namespace {

// Writes the table to `stream`; answers how many texts were not valid UTF-8.
std::size_t WriteTable(std::FILE* stream, const LoadedTable& loaded, const ExportOptions& options,
                       unsigned int entries) {
  TableCount count;
  const ProgressLine progress(ProgressLine::Work::kExport, entries, &count);
  if (options.format != "csv") return WriteJsonTable(stream, loaded, count);
  std::size_t replaced = 0;
  WriteCsvHeader(stream);
  for (unsigned int i = 0; i < entries; ++i) {
    replaced += WriteCsvRow(stream, EntryJson(*loaded.table->GetEntry(i)), options.escapeFormulas);
    ++count.rows;
  }
  return replaced;
}

}  // namespace

int RunExport(const LoadedModule& module, const ExportOptions& options, std::ostream& out) {
  const bool toStdout = options.output == "-";
  if (options.escapeFormulas && options.format != "csv") {
    std::cerr << "etbtool: --escape-formulas is for CSV: no spreadsheet runs a JSON document\n";
    return kExitUsage;
  }
  if (!toStdout && IsSameFile(options.input, options.output)) {
    std::cerr << "etbtool: " << options.output << " is the same file as " << options.input
              << "; nothing written\n";
    return kExitUsage;
  }
  const LoadedTable loaded = LoadAnnotationFile(module, options.input, options.model);
  PrintFetchFailures(loaded, std::cerr);
  PrintTraces(loaded, std::cerr);
  if (!loaded.report.success) {
    out << "failure: " << loaded.report.message << '\n';
    return kExitFailure;
  }
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  std::optional<OutputFile> file;
  if (!toStdout) file.emplace(options.output);
  std::FILE* stream = toStdout ? stdout : file->stream();
  const std::size_t replaced = stream != nullptr ? WriteTable(stream, loaded, options, count) : 0;
  if (toStdout && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
    std::cerr << "etbtool: cannot write standard output: " << std::strerror(errno) << '\n';
    return kExitFailure;
  }
  if (!toStdout && !file->Commit()) {
    PrintWriteFailure("write", options.output, std::cerr);
    return kExitFailure;
  }
  if (replaced > 0) {
    std::cerr << "etbtool: " << replaced << (replaced == 1 ? " text was" : " texts were")
              << " not valid UTF-8: U+FFFD stands for each bad byte\n";
  }
  // On standard output the table stands alone.
  (toStdout ? std::cerr : out) << "exported: " << count << (count == 1 ? " entry" : " entries")
                               << " to " << (toStdout ? "standard output" : options.output) << '\n';
  return kExitSuccess;
}

}  // namespace etbtool
