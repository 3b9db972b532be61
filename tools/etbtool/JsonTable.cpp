#include "JsonTable.h"

#include "JsonReport.h"
#include "TextForms.h"

namespace etbtool {

namespace {

// The texts in `value` that are not valid UTF-8.
std::size_t NotUtf8(const nlohmann::ordered_json& value) {
  if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    return IsValidUtf8(text.data(), text.size()) ? 0 : 1;
  }
  std::size_t count = 0;
  if (value.is_structured()) {
    for (const nlohmann::ordered_json& member : value) count += NotUtf8(member);
  }
  return count;
}

// Dump's text of `value`, as it stands `indent` spaces in: JSON strings hold no line feed.
void Write(std::FILE* out, const nlohmann::ordered_json& value, std::size_t indent) {
  std::string text = Dump(value);
  const std::string feed = "\n" + std::string(indent, ' ');
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    text.replace(at, 1, feed);
  }
  std::fwrite(text.data(), 1, text.size(), out);
}

}  // namespace

std::size_t WriteJsonTable(std::FILE* out, const LoadedTable& loaded, TableCount& count) {
  // The summary document has "entryCount" where the entries go.
  const nlohmann::ordered_json document = LoadJson(loaded, true);
  std::size_t replaced = 0;
  unsigned int entries = 0;
  loaded.table->GetNumEntries(entries);
  std::fputs("{", out);
  for (auto member = document.begin(); member != document.end(); ++member) {
    std::fputs(member == document.begin() ? "\n  " : ",\n  ", out);
    if (member.key() != "entryCount") {
      std::fprintf(out, "%s: ", nlohmann::ordered_json(member.key()).dump().c_str());
      Write(out, member.value(), 2);
      replaced += NotUtf8(member.value());
      continue;
    }
    std::fputs("\"entries\": [", out);
    for (unsigned int i = 0; i < entries; ++i) {
      const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
      if (entry.IsNull()) continue;
      const nlohmann::ordered_json json = EntryJson(*entry);
      std::fputs(count.rows == 0 ? "\n    " : ",\n    ", out);
      Write(out, json, 4);
      replaced += NotUtf8(json);
      ++count.rows;
    }
    std::fputs(count.rows > 0 ? "\n  ]" : "]", out);
  }
  std::fputs("\n}\n", out);
  return replaced;
}

}  // namespace etbtool
