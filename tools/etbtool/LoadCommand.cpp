#include <filesystem>
#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "JsonReport.h"
#include "PhaseStats.h"
#include "TablePrinter.h"

namespace etbtool {

namespace {

// A load that found no record in a file that has lines is most likely of another format: the
// status stays success, as the loader said, and a hint goes to standard error.
void HintWhenNothingWasARecord(const LoadedTable& loaded, const std::string& file) {
  unsigned int entries = 0;
  loaded.table->GetNumEntries(entries);
  du::SmartPtr<znk::ComponentNode> root;
  loaded.structure->GetRoot(root);
  std::error_code error;
  if (!loaded.report.success || entries > 0 || !root->GetViewStateSources().empty() ||
      std::filesystem::file_size(file, error) == 0 || error) {
    return;
  }
  std::cerr << "etbtool: no line of " << file
            << " is an ETB record; a CSV or JSON table goes in with etbtool import\n";
}

}  // namespace

int RunLoad(const LoadedModule& module, const LoadOptions& options, std::ostream& out) {
  const LoadedTable loaded = LoadAnnotationFile(module, options.file, options.model);
  PrintFetchFailures(loaded, std::cerr);
  PhaseStats::Get().Start("output");
  if (options.json) {
    PrintJson(out, LoadJson(loaded, options.summary));
  } else {
    PrintLoad(out, loaded, options.summary);
    // Without JSON, trace lines go where the host's tracer writes: standard error.
    PrintTraces(loaded, std::cerr);
  }
  HintWhenNothingWasARecord(loaded, options.file);
  PhaseStats::Get().Start("teardown");  // the table goes as this returns
  return loaded.report.success ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
