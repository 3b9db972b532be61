#include "AnnotationLoad.h"

#include "PhaseStats.h"
#include "TimedWork.h"
#include "standin/Fetch.h"

namespace etbtool {

LoadReport ReportOf(const standin::RecordingEvent& event) {
  if (event.outcome() == standin::RecordingEvent::Outcome::kSuccess) return {true, ""};
  if (event.outcome() == standin::RecordingEvent::Outcome::kFailure) {
    return {false, event.message()};
  }
  return {false, "the loader reported nothing"};
}

void PrintFetchFailures(const LoadedTable& loaded, std::ostream& err) {
  for (const std::string& failure : loaded.fetchFailures) {
    err << "etbtool: cannot fetch " << failure << '\n';
  }
}

void PrintTraces(const LoadedTable& loaded, std::ostream& err) {
  for (const standin::TraceLine& line : loaded.traces) {
    err << "[" << line.tracer << "] " << line.type << ": " << line.text << '\n';
  }
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
  standin::TakeFetchFailures();  // only this load's
  {
    du::SmartPtr<znloader::AnnotationParser> loader;
    if (!module.Create("loader", "annotation", "etb", loader)) {
      loaded.report = {false, "the module has no ETB loader"};
      return loaded;
    }
    PhaseStats::Get().Start("fetch");
    loader->LoadAnnotationTable(loaded.table, &event);
  }
  {
    const TimedParse parse(FileBytes(file));
    standin::PumpFetches();
  }
  loaded.report = ReportOf(event);
  loaded.traces = capture.Lines();
  loaded.fetchFailures = standin::TakeFetchFailures();
  return loaded;
}

LoadedSession LoadSessionArchive(const LoadedModule& module, const std::string& archive,
                                 const std::string& model) {
  LoadedSession loaded;
  loaded.structure = new znk::Structure;
  loaded.structure->SetSessionStateURL(archive);
  if (!model.empty()) loaded.structure->SetFileSource(model);
  loaded.table = new znk::AnnoSetTable(loaded.structure);

  standin::TraceCapture capture;
  standin::RecordingEvent zipEvent;
  standin::RecordingEvent etbEvent;
  du::SmartPtr<znloader::AnnotationParser> zipLoader;
  du::SmartPtr<znloader::AnnotationParser> etbLoader;
  if (!module.Create("loader", "annotation", "zip", zipLoader) ||
      !module.Create("loader", "annotation", "etb", etbLoader)) {
    loaded.zipReport = loaded.report = {false, "the module lacks a session loader"};
    return loaded;
  }
  standin::TakeFetchFailures();
  PhaseStats::Get().Start("fetch");
  zipLoader->LoadSessionState(loaded.table, &zipEvent);
  standin::PumpFetches();
  loaded.fetchFailures = standin::TakeFetchFailures();
  {
    const TimedParse parse(0);
    etbLoader->LoadSessionState(loaded.table, &etbEvent);
  }
  // The zip loader keeps the table until its next load; let it go with the loader.
  zipLoader.Reset();
  loaded.zipReport = ReportOf(zipEvent);
  loaded.report = ReportOf(etbEvent);
  loaded.traces = capture.Lines();
  return loaded;
}

}  // namespace etbtool
