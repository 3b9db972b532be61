// The entries of a `load --json` document (or of its "entries" array alone), each named by its
// jq path and the lines its object and its fields start on.
#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "TableImport.h"

namespace etbtool {

namespace {

long LineAt(const std::string& text, std::size_t offset) {
  return 1 +
         long(std::count(text.begin(), text.begin() + long(std::min(offset, text.size())), '\n'));
}

// Where the entries start and the lines of their fields. The document is valid JSON, so strings,
// nesting and the keys of its top level are all this has to follow. `entryDepth`: the depth of
// the entry objects, 3 in a document, 2 in a bare array.
std::vector<EntryPlace> EntryPlaces(const std::string& text, int entryDepth) {
  std::vector<EntryPlace> places;
  long line = 1;
  int depth = 0;
  bool inString = false;
  bool inEntries = entryDepth == 2;
  bool expectEntry = false;  // in the entries array, where an entry comes next
  bool expectKey = false;    // in an entry object, where a key comes next
  long keyLine = 0;
  std::string lastString;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') ++line;
    if (inString) {
      if (c == '\\') {
        ++i;  // an escaped character, never a line feed in valid JSON
      } else if (c == '"') {
        inString = false;
        if (keyLine > 0) places.back().fields[lastString] = keyLine;
      } else {
        lastString += c;
      }
      continue;
    }
    if (inEntries && expectEntry && depth == entryDepth - 1 && std::isspace(c) == 0 && c != ']') {
      places.push_back({line, {}, ""});
      expectEntry = false;
    }
    if (c == '"') {
      inString = true;
      lastString.clear();
      keyLine = inEntries && expectKey && depth == entryDepth && !places.empty() ? line : 0;
    } else if (c == '{' || c == '[') {
      ++depth;
      if (depth == 2 && entryDepth == 3) inEntries = c == '[' && lastString == "entries";
      expectEntry = depth == entryDepth - 1;
      expectKey = depth == entryDepth && c == '{';
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (c == ',' || c == ':') {
      expectEntry = c == ',' && depth == entryDepth - 1;
      expectKey = c == ',' && depth == entryDepth;
    }
  }
  return places;
}

// nlohmann's message without its "[json.exception...] parse error at line L, column C: " prefix.
std::string ParseDetail(const std::string& what) {
  const std::size_t at = what.find(": ");
  return at == std::string::npos ? what : what.substr(at + 2);
}

}  // namespace

std::vector<ImportedEntry> ReadJsonEntries(const std::string& bytes,
                                           std::vector<ImportError>& errors) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(bytes);
  } catch (const nlohmann::json::parse_error& error) {
    errors.push_back(
        {LineAt(bytes, error.byte), "-", "not valid JSON: " + ParseDetail(error.what())});
    return {};
  } catch (const nlohmann::json::exception&) {  // a number beyond every range
    errors.push_back({1, "-", "not valid JSON: a number out of range"});
    return {};
  }
  const bool bare = document.is_array();
  if (!bare &&
      (!document.is_object() || !document.contains("entries") || !document["entries"].is_array())) {
    errors.push_back({1, "entries", "the document has no \"entries\" array"});
    return {};
  }
  const std::vector<EntryPlace> places = EntryPlaces(bytes, bare ? 2 : 3);
  std::vector<ImportedEntry> entries;
  std::size_t index = 0;
  for (const nlohmann::json& fields : bare ? document : document["entries"]) {
    EntryPlace place = index < places.size() ? places[index] : EntryPlace{1, {}, ""};
    place.path = (bare ? ".[" : ".entries[") + std::to_string(index) + "]";
    const std::string& path = place.path;
    if (!fields.is_object()) {
      errors.push_back({place.line, "-", "an entry is not an object (" + path + ")"});
    } else {
      entries.push_back(ReadEntry(fields, place, false, errors));
    }
    ++index;
  }
  return entries;
}

}  // namespace etbtool
