#include "JsonReport.h"

#include "znk/ComponentNode.h"

namespace etbtool {

namespace {

nlohmann::ordered_json Text(const du::Symbol& symbol) {
  if (symbol.IsNull()) return nullptr;
  return std::string(symbol.c_str(), symbol.length());
}

// An object with room for `members`. Ordered objects keep their members in a vector that copies
// every member as it grows (the keys are const, so nothing moves), and a member can be megabytes
// of text or a whole table.
nlohmann::ordered_json Object(std::size_t members) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  object.get_ref<nlohmann::ordered_json::object_t&>().reserve(members);
  return object;
}

nlohmann::ordered_json ReportJson(const LoadReport& report) {
  nlohmann::ordered_json result = {{"result", report.success ? "success" : "failure"}};
  if (!report.success) result["message"] = report.message;
  return result;
}

}  // namespace

nlohmann::ordered_json EntryJson(const znk::AnnoSetTableEntry& entry) {
  nlohmann::ordered_json json = Object(16);
  json["componentId"] = entry.GetCompId();
  json["componentName"] = Text(entry.GetCompName());
  json["propertyName"] = Text(entry.GetPropName());
  json["propertyValue"] = Text(entry.GetCombinedPropValueAndListString());
  json["name"] = Text(entry.GetName());
  json["file"] = Text(entry.file);
  json["annotationType"] = entry.annotationType;
  json["accessState"] = entry.accessState;
  json["secondState"] = entry.secondState;
  json["comment"] = Text(entry.comment);
  json["extraText1"] = Text(entry.extraText1);
  json["extraText2"] = Text(entry.extraText2);
  json["sessionAstFile"] = Text(entry.sessionAstFile);
  json["isPreference"] = entry.isPreference;
  json["hasColor"] = entry.hasColor;
  json["color"] = entry.color.GetAsHexUI();
  return json;
}

nlohmann::ordered_json LoadJson(const LoadedTable& loaded, bool summaryOnly) {
  nlohmann::ordered_json document = Object(7);  // with the "zipResult" of SessionJson
  document.update(ReportJson(loaded.report));
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

void PrintJson(std::ostream& out, const nlohmann::ordered_json& document) {
  // The writer behind both dump() and the library's operator<<, given Dump's replacing handler.
  nlohmann::detail::serializer<nlohmann::ordered_json> serializer(
      nlohmann::detail::output_adapter<char>(out), ' ',
      nlohmann::ordered_json::error_handler_t::replace);
  serializer.dump(document, true, false, 2);
  out << '\n';
}

}  // namespace etbtool
