#include "AnnotationLoad.h"

#include <optional>

#include "PhaseStats.h"
#include "TimedWork.h"
#include "standin/Fetch.h"

namespace etbtool {

namespace {

LoadReport ReportOf(standin::RecordingEvent::Outcome outcome, const std::string& message) {
  if (outcome == standin::RecordingEvent::Outcome::kSuccess) return {true, ""};
  if (outcome == standin::RecordingEvent::Outcome::kFailure) return {false, message};
  return {false, "the loader reported nothing"};
}

}  // namespace

LoadReport ReportOf(const standin::LoadOutcome& outcome) {
  return ReportOf(outcome.outcome, outcome.message);
}

void PrintFetchFailures(const LoadedTable& loaded, std::ostream& err) {
  for (const std::string& failure : loaded.fetchFailures) {
    err << "etbtool: cannot fetch " << failure << '\n';
  }
}

void PrintTraces(const LoadedTable& loaded, std::ostream& err) {
  for (const standin::TraceLine& line : loaded.traces) {
    err << standin::ShownTraceLine(line.tracer, line.type, line.text) << '\n';
  }
}

LoadedTable LoadAnnotationFile(const LoadedModule& module, const std::string& file,
                               const std::string& model) {
  LoadedTable loaded;
  loaded.table = standin::NewAnnotationTable(file, model);
  loaded.structure = loaded.table->GetStructure();

  standin::TraceCapture capture;
  standin::TakeFetchFailures();  // only this load's
  du::SmartPtr<znloader::AnnotationParser> loader;
  if (!module.Create("loader", "annotation", "etb", loader)) {
    loaded.report = {false, "the module has no ETB loader"};
    return loaded;
  }
  PhaseStats::Get().Start("fetch");
  std::optional<TimedParse> parse;  // the completion the pump delivers runs the parse
  const standin::LoadOutcome outcome =
      standin::LoadAnnotationTable(*loader, loaded.table, [&] { parse.emplace(FileBytes(file)); });
  parse.reset();
  loaded.report = ReportOf(outcome);
  loaded.traces = capture.Lines();
  loaded.fetchFailures = standin::TakeFetchFailures();
  return loaded;
}

LoadedSession LoadSessionArchive(const LoadedModule& module, const std::string& archive,
                                 const std::string& model) {
  LoadedSession loaded;
  loaded.table = standin::NewAnnotationTable("", model);
  loaded.structure = loaded.table->GetStructure();
  loaded.structure->SetSessionStateURL(archive);

  standin::TraceCapture capture;
  du::SmartPtr<znloader::AnnotationParser> zipLoader;
  du::SmartPtr<znloader::AnnotationParser> etbLoader;
  if (!module.Create("loader", "annotation", "zip", zipLoader) ||
      !module.Create("loader", "annotation", "etb", etbLoader)) {
    loaded.zipReport = loaded.report = {false, "the module lacks a session loader"};
    return loaded;
  }
  standin::TakeFetchFailures();
  PhaseStats::Get().Start("fetch");
  std::optional<TimedParse> parse;
  const standin::SessionOutcome outcome =
      standin::LoadSession(*zipLoader, *etbLoader, loaded.table, [&] {
        loaded.fetchFailures = standin::TakeFetchFailures();
        parse.emplace(0);
      });
  parse.reset();
  // The zip loader keeps the table until its next load; let it go with the loader.
  zipLoader.Reset();
  loaded.zipReport = ReportOf(outcome.zip);
  loaded.report = ReportOf(outcome.etb);
  loaded.traces = capture.Lines();
  return loaded;
}

}  // namespace etbtool
