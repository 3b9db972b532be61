#pragma once

#include <functional>
#include <string>

#include "du/SmartPtr.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znloader/AnnotationParser.h"

// The host's side of a load, as every stand-in host here (etbtool, tests, benchmarks, fuzzers)
// drives one.
namespace standin {

// A new table whose structure names `annotationFile` as its annotation table and, when not
// empty, `productFile` as the file the product was loaded from (either may be empty: not set).
du::SmartPtr<znk::AnnoSetTable> NewAnnotationTable(const std::string& annotationFile,
                                                   const std::string& productFile = "");

// What a load's event heard.
struct LoadOutcome {
  RecordingEvent::Outcome outcome = RecordingEvent::Outcome::kNone;
  std::string message;  // of a failure
  int reports = 0;

  bool succeeded() const { return outcome == RecordingEvent::Outcome::kSuccess; }
};

// Loads `table` through `loader` as a host does: LoadAnnotationTable with an event of its own,
// then a pump of the fetches, which delivers the completion and so runs the parse. `requested`,
// when given, runs between the two, for a host that tells the fetch from the parse.
LoadOutcome LoadAnnotationTable(znloader::AnnotationParser& loader,
                                const du::SmartPtr<znk::AnnoSetTable>& table,
                                const std::function<void()>& requested = {});

// What the two loads of a session heard.
struct SessionOutcome {
  LoadOutcome zip;
  LoadOutcome etb;
};

// Loads the session `table`'s structure names (its session-state URL) as a host does: the zip
// loader's LoadSessionState, a pump of the fetches, which unpacks the archive, then the ETB
// loader's LoadSessionState on the same table. `unpacked`, when given, runs between the two.
SessionOutcome LoadSession(znloader::AnnotationParser& zipLoader,
                           znloader::AnnotationParser& etbLoader,
                           const du::SmartPtr<znk::AnnoSetTable>& table,
                           const std::function<void()>& unpacked = {});

}  // namespace standin
