#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "CsvTable.h"
#include "JsonReport.h"
#include "OutputFile.h"

namespace etbtool {

int RunExport(const LoadedModule& module, const ExportOptions& options, std::ostream& out) {
  if (IsSameFile(options.input, options.output)) {
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
  OutputFile file(options.output);
  if (file.stream() != nullptr) {
    if (options.format == "csv") {
      WriteCsvHeader(file.stream());
      for (unsigned int i = 0; i < count; ++i) {
        WriteCsvRow(file.stream(), EntryJson(*loaded.table->GetEntry(i)));
      }
    } else {
      const std::string document = Dump(LoadJson(loaded, false)) + "\n";
      std::fwrite(document.data(), 1, document.size(), file.stream());
    }
  }
  if (!file.Commit()) {
    PrintWriteFailure("write", options.output, std::cerr);
    return kExitFailure;
  }
  out << "exported: " << count << (count == 1 ? " entry" : " entries") << " to " << options.output
      << '\n';
  return kExitSuccess;
}

}  // namespace etbtool
