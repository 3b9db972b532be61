#include "AnnotationLoad.h"

#include "standin/Fetch.h"

namespace etbtool {

LoadReport ReportOf(const standin::RecordingEvent& event) {
  if (event.outcome() == standin::RecordingEvent::Outcome::kSuccess) return {true, ""};
  if (event.outcome() == standin::RecordingEvent::Outcome::kFailure) {
    return {false, event.message()};
  }
  return {false, "the loader reported nothing"};
}

LoadedTable LoadAnnotationFile(const LoadedModule& module, const std::string& file,
                               const std::string& model) {
  LoadedTable loaded;
  loaded.structure = new znk::Structure;
  loaded.structure->SetAnnoSetTableFileSource(file);
  if (!model.empty()) loaded.structure->SetFileSource(model);
  loaded.table = new znk::AnnoSetTable(loaded.structure);

  standin::TraceCapture capture;
  standin::RecordingEvent event;
  {
    du::SmartPtr<znloader::AnnotationParser> loader;
    if (!module.Create("loader", "annotation", "etb", loader)) {
      loaded.report = {false, "the module has no ETB loader"};
      return loaded;
    }
    loader->LoadAnnotationTable(loaded.table, &event);
  }
  standin::PumpFetches();
  loaded.report = ReportOf(event);
  loaded.traces = capture.Lines();
  return loaded;
}

}  // namespace etbtool
