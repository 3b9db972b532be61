#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "AnnotationLoad.h"
#include "znk/AnnoSetTableEntry.h"

namespace etbtool {

// The JSON forms of etbtool's reports. Texts are bytes: what is not valid UTF-8 is replaced
// when the document is written (see Dump).
nlohmann::ordered_json EntryJson(const znk::AnnoSetTableEntry& entry);
// {"result", "message"?, "entries" or "entryCount", "viewStateSources", "session", "traces"}
nlohmann::ordered_json LoadJson(const LoadedTable& loaded, bool summaryOnly);
// The load document of the session's ETB load, with "zipResult" for the zip loader's report.
nlohmann::ordered_json SessionJson(const LoadedSession& loaded);
std::string Dump(const nlohmann::ordered_json& document);
// Dump's text and a line break, written to `out` as it is made: no copy of the whole document.
void PrintJson(std::ostream& out, const nlohmann::ordered_json& document);

}  // namespace etbtool
