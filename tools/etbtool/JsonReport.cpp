#include "JsonReport.h"

#include "znk/ComponentNode.h"

namespace etbtool {

namespace {

nlohmann::ordered_json Text(const du::Symbol& symbol) {
  if (symbol.IsNull()) return nullptr;
  return std::string(symbol.c_str(), symbol.length());
}

nlohmann::ordered_json ReportJson(const LoadReport& report) {
  nlohmann::ordered_json result = {{"result", report.success ? "success" : "failure"}};
  if (!report.success) result["message"] = report.message;
  return result;
}

}  // namespace

nlohmann::ordered_json EntryJson(const znk::AnnoSetTableEntry& entry) {
  return {{"componentId", entry.GetCompId()},
          {"componentName", Text(entry.GetCompName())},
          {"propertyName", Text(entry.GetPropName())},
          {"propertyValue", Text(entry.GetCombinedPropValueAndListString())},
          {"name", Text(entry.GetName())},
          {"file", Text(entry.file)},
          {"annotationType", entry.annotationType},
          {"accessState", entry.accessState},
          {"secondState", entry.secondState},
          {"comment", Text(entry.comment)},
          {"extraText1", Text(entry.extraText1)},
          {"extraText2", Text(entry.extraText2)},
          {"sessionAstFile", Text(entry.sessionAstFile)},
          {"isPreference", entry.isPreference},
          {"hasColor", entry.hasColor},
          {"color", entry.color.GetAsHexUI()}};
}

nlohmann::ordered_json LoadJson(const LoadedTable& loaded, bool summaryOnly) {
  nlohmann::ordered_json document = ReportJson(loaded.report);
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  if (summaryOnly) {
    document["entryCount"] = count;
  } else {
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (unsigned int i = 0; i < count; ++i) {
      const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
      if (!entry.IsNull()) entries.push_back(EntryJson(*entry));
    }
    document["entries"] = std::move(entries);
  }

  nlohmann::ordered_json sources = nlohmann::ordered_json::array();
  du::SmartPtr<znk::ComponentNode> root;
  loaded.structure->GetRoot(root);
  for (const auto& source : root->GetViewStateSources()) {
    sources.push_back({{"name", Text(source->GetName())},
                       {"file", Text(source->GetFile())},
                       {"type", int(source->GetType())}});
  }
  document["viewStateSources"] = std::move(sources);

  du::Symbol etbFile;
  du::Symbol astFile;
  loaded.structure->GetSessionStateEtbFileName(etbFile);
  loaded.structure->GetSessionStateAstFileName(astFile);
  const du::SmartPtr<znk::AnnoSetTableEntry>& sessionEntry =
      loaded.structure->GetSessionStateAnnoEntry();
  document["session"] = {{"etbFile", Text(etbFile)},
                         {"astFile", Text(astFile)},
                         {"entry", sessionEntry.IsNull() ? nlohmann::ordered_json(nullptr)
                                                         : EntryJson(*sessionEntry)}};

  nlohmann::ordered_json traces = nlohmann::ordered_json::array();
  for (const standin::TraceLine& line : loaded.traces) {
    traces.push_back({{"tracer", line.tracer}, {"type", line.type}, {"text", line.text}});
  }
  document["traces"] = std::move(traces);
  return document;
}

nlohmann::ordered_json SessionJson(const LoadedSession& loaded) {
  nlohmann::ordered_json document = LoadJson(loaded, false);
  document["zipResult"] = ReportJson(loaded.zipReport);
  return document;
}

std::string Dump(const nlohmann::ordered_json& document) {
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace etbtool
