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

}  // namespace standin
