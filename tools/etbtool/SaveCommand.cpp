#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "OutputFile.h"
#include "PhaseStats.h"
#include "TimedWork.h"
#include "standin/FileFailure.h"

namespace etbtool {

int RunSave(const LoadedModule& module, const SaveOptions& options, std::ostream& out) {
  const LoadedTable loaded = LoadAnnotationFile(module, options.input, options.model);
  PrintFetchFailures(loaded, std::cerr);  // in the order they happened, as every command does
  PrintTraces(loaded, std::cerr);
  if (!loaded.report.success) {
    out << "failure: " << loaded.report.message << " (" << options.input << "), nothing saved\n";
    return kExitFailure;
  }
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  const int index = options.defaultTable ? options.markIndex : options.partialIndex;
  if (index >= 0 && unsigned(index) >= count) {
    std::cerr << "etbtool: entry index " << index << " is not in the loaded table (" << count
              << " entries)\n";
    return kExitUsage;
  }
  const du::SmartPtr<znk::AnnoSetTableEntry> entry =
      index >= 0 ? loaded.table->GetEntry(unsigned(index)) : du::SmartPtr<znk::AnnoSetTableEntry>();

  du::SmartPtr<znloader::AnnotationParser> saver;
  if (!module.Create("saver", "annotation", "etb", saver)) {
    std::cerr << "etbtool: the module has no ETB saver\n";
    return kExitUsage;
  }
  bool saved = false;
  standin::TakeFileFailure();  // what the load noted is no reason for the save's failure
  {
    const TimedSave timed(count, options.output);
    saved = options.defaultTable
                ? saver->SaveDefaultAnnotationTable(loaded.table, entry, index >= 0, options.output)
                : saver->SaveAnnotationTable(loaded.table, entry, options.output, index < 0,
                                             options.convert);
  }
  PhaseStats::Get().Start("output");
  if (!saved) PrintWriteFailure("save", options.output, std::cerr);
  out << (saved ? "saved: " : "failure: the save returned false: ") << options.output << " ("
      << count << (count == 1 ? " entry" : " entries") << " loaded)\n";
  PhaseStats::Get().Start("teardown");  // the table goes as this returns
  return saved ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
