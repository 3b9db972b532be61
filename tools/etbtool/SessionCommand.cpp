#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "JsonReport.h"
#include "TablePrinter.h"

namespace etbtool {

int RunSession(const LoadedModule& module, const LoadOptions& options, std::ostream& out) {
  const LoadedSession loaded = LoadSessionArchive(module, options.file, options.model);
  PrintFetchFailures(loaded, std::cerr);
  if (options.json) {
    out << Dump(SessionJson(loaded)) << '\n';
  } else {
    PrintSession(out, loaded);
    PrintTraces(loaded, std::cerr);
  }
  return loaded.report.success ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
