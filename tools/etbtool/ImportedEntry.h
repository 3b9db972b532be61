#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "du/SmartPtr.h"
#include "znk/AnnoSetTableEntry.h"

namespace etbtool {

// One entry of an imported table, its fields checked against what an ETB record can carry.
struct ImportedEntry {
  int componentId = 0;
  std::string componentName, propertyName, propertyValue, name, file;
  int annotationType = 0;
  int accessState = 0;
  int secondState = 0;
  std::string comment;  // kept on the entry; the ETB saver writes none
  std::string extraText1, extraText2;
};

// Why a part of the input was refused: "IN:LINE:FIELD: reason".
struct ImportError {
  long line = 0;
  std::string field;
  std::string reason;
};

// The field names of an entry as the JSON document and the CSV header name them; the first
// eight (the columns every ETB record has) are required.
const std::vector<std::string>& EntryFieldNames();
constexpr std::size_t kRequiredFields = 8;

// Where an entry stands in its input, for the messages about it.
struct EntryPlace {
  long line = 0;                       // where it starts
  std::map<std::string, long> fields;  // the lines of its fields, where they differ (JSON)
  std::string path;                    // its path for jq (".entries[3]"); "" in CSV
};

// Reads one entry from its fields (a JSON object of the document's entry form; a CSV row gives
// every value as a string), adding to `errors` what cannot be carried.
ImportedEntry ReadEntry(const nlohmann::json& fields, const EntryPlace& place, bool valuesAreText,
                        std::vector<ImportError>& errors);

// A host entry made of it, as the ETB loader makes one (not a preference entry).
du::SmartPtr<znk::AnnoSetTableEntry> NewHostEntry(const ImportedEntry& imported);

}  // namespace etbtool
