#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ModuleLoader.h"
#include "du/SmartPtr.h"
#include "standin/HostLoad.h"
#include "standin/TraceCapture.h"
#include "znk/AnnoSetTable.h"
#include "znk/Structure.h"

namespace etbtool {

// What one load reported to the host's event.
struct LoadReport {
  bool success = false;
  std::string message;  // the failure message
};

// A table and its structure as a load left them, with the load's report and the trace lines
// captured while it ran.
struct LoadedTable {
  du::SmartPtr<znk::Structure> structure;
  du::SmartPtr<znk::AnnoSetTable> table;
  LoadReport report;
  std::vector<standin::TraceLine> traces;
  // Why the host's fetches failed ("SOURCE: REASON"), which the loader's message never says.
  std::vector<std::string> fetchFailures;
};

// One line on `err` for each failed fetch of `loaded`: "etbtool: cannot fetch SOURCE: REASON".
void PrintFetchFailures(const LoadedTable& loaded, std::ostream& err);
// The captured trace lines of `loaded`, as the host's tracer writes them: "[TRACER] TYPE: TEXT".
void PrintTraces(const LoadedTable& loaded, std::ostream& err);

// The report a load's event received, or a failure when it received none.
LoadReport ReportOf(const standin::LoadOutcome& outcome);

// A new table whose structure names `file` as its annotation table (and `model`, when not
// empty, as the product file it was loaded from), loaded through ("loader","annotation","etb")
// as a host does: LoadAnnotationTable, then the fetch's completion.
LoadedTable LoadAnnotationFile(const LoadedModule& module, const std::string& file,
                               const std::string& model);

// What a session load left: the ETB loader's outcome in `report`, the zip loader's here.
struct LoadedSession : LoadedTable {
  LoadReport zipReport;
};

// A new table whose structure's session-state URL is `archive`: ("loader","annotation","zip")
// LoadSessionState and the fetch's completion, then ("loader","annotation","etb")
// LoadSessionState on the same table.
LoadedSession LoadSessionArchive(const LoadedModule& module, const std::string& archive,
                                 const std::string& model);

}  // namespace etbtool
