#include "standin/HostLoad.h"

#include "standin/Fetch.h"
#include "znk/Structure.h"

namespace standin {

du::SmartPtr<znk::AnnoSetTable> NewAnnotationTable(const std::string& annotationFile,
                                                   const std::string& productFile) {
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  if (!annotationFile.empty()) structure->SetAnnoSetTableFileSource(annotationFile);
  if (!productFile.empty()) structure->SetFileSource(productFile);
  return du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable(structure));
}

LoadOutcome LoadAnnotationTable(znloader::AnnotationParser& loader,
                                const du::SmartPtr<znk::AnnoSetTable>& table,
                                const std::function<void()>& requested) {
  RecordingEvent event;
  loader.LoadAnnotationTable(table, &event);
  if (requested) requested();
  PumpFetches();
  return {event.outcome(), event.message(), event.reportCount()};
}

SessionOutcome LoadSession(znloader::AnnotationParser& zipLoader,
                           znloader::AnnotationParser& etbLoader,
                           const du::SmartPtr<znk::AnnoSetTable>& table,
                           const std::function<void()>& unpacked) {
  RecordingEvent zipEvent;
  RecordingEvent etbEvent;
  zipLoader.LoadSessionState(table, &zipEvent);
  PumpFetches();
  if (unpacked) unpacked();
  etbLoader.LoadSessionState(table, &etbEvent);
  return {{zipEvent.outcome(), zipEvent.message(), zipEvent.reportCount()},
          {etbEvent.outcome(), etbEvent.message(), etbEvent.reportCount()}};
}

}  // namespace standin
