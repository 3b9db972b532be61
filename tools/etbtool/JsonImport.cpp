// The entries of a `load --json` document, each named by the line its object starts on.
#include <algorithm>
#include <nlohmann/json.hpp>

#include "TableImport.h"

namespace etbtool {

namespace {

long LineAt(const std::string& text, std::size_t offset) {
  return 1 +
         long(std::count(text.begin(), text.begin() + long(std::min(offset, text.size())), '\n'));
}

// The lines on which the objects of the document's "entries" array start: the document is
// valid JSON, so strings, nesting and the keys of its top level are all this has to follow.
std::vector<long> EntryLines(const std::string& text) {
  std::vector<long> lines;
  long line = 1;
  int depth = 0;
  bool inString = false;
  bool inEntries = false;
  std::string lastTopLevelString;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') ++line;
    if (inString) {
      if (c == '\\') {
        ++i;  // an escaped character, never a line feed in valid JSON
      } else if (c == '"') {
        inString = false;
      } else if (depth == 1) {
        lastTopLevelString += c;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
      if (depth == 1) lastTopLevelString.clear();
    } else if (c == '{' || c == '[') {
      ++depth;
      if (depth == 2) inEntries = c == '[' && lastTopLevelString == "entries";
      if (depth == 3 && c == '{' && inEntries) lines.push_back(line);
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return lines;
}

}  // namespace

std::vector<ImportedEntry> ReadJsonEntries(const std::string& bytes,
                                           std::vector<ImportError>& errors) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(bytes);
  } catch (const nlohmann::json::parse_error& error) {
    errors.push_back({LineAt(bytes, error.byte), "-", "not valid JSON"});
    return {};
  } catch (const nlohmann::json::exception&) {  // a number beyond every range
    errors.push_back({1, "-", "not valid JSON: a number out of range"});
    return {};
  }
  if (!document.is_object() || !document.contains("entries") || !document["entries"].is_array()) {
    errors.push_back({1, "entries", "the document has no \"entries\" array"});
    return {};
  }
  const std::vector<long> lines = EntryLines(bytes);
  std::vector<ImportedEntry> entries;
  long index = 0;
  for (const nlohmann::json& fields : document["entries"]) {
    const long line = std::size_t(index) < lines.size() ? lines[std::size_t(index)] : 1;
    ++index;
    if (!fields.is_object()) {
      errors.push_back({line, "-", "an entry is not an object"});
      continue;
    }
    entries.push_back(ReadEntry(fields, line, false, errors));
  }
  return entries;
}

}  // namespace etbtool
