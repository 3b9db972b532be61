#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "JsonReport.h"
#include "PhaseStats.h"
#include "TablePrinter.h"

namespace etbtool {

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
  PhaseStats::Get().Start("teardown");  // the table goes as this returns
  return loaded.report.success ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
