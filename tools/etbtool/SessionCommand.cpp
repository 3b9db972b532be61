#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "JsonReport.h"
#include "PhaseStats.h"
#include "TablePrinter.h"

namespace etbtool {

int RunSession(const LoadedModule& module, const LoadOptions& options, std::ostream& out) {
  const LoadedSession loaded = LoadSessionArchive(module, options.file, options.model);
  PrintFetchFailures(loaded, std::cerr);
  PhaseStats::Get().Start("output");
  if (options.json) {
    PrintJson(out, SessionJson(loaded));
  } else {
    PrintSession(out, loaded);
    PrintTraces(loaded, std::cerr);
  }
  PhaseStats::Get().Start("teardown");  // the table goes as this returns
  return loaded.report.success ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
