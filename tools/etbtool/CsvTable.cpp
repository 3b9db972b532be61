#include "CsvTable.h"

#include <csv.h>

#include "ImportedEntry.h"
#include "TextForms.h"

namespace etbtool {

namespace {

void WriteField(std::FILE* out, const std::string& text, bool first) {
  if (!first) std::fputc(',', out);
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    std::fwrite(text.data(), 1, text.size(), out);
  } else {
    csv_fwrite(out, text.data(), text.size());
  }
}

// The field of `value`; `replaced` counts the texts that were not valid UTF-8.
std::string FieldText(const nlohmann::ordered_json& value, bool escapeFormulas,
                      std::size_t& replaced) {
  if (value.is_null()) return "";
  if (!value.is_string()) return value.dump();  // numbers and booleans
  const std::string& text = value.get_ref<const std::string&>();
  const bool valid = IsValidUtf8(text.data(), text.size());
  replaced += valid ? 0 : 1;
  const std::string field = valid ? text : ValidUtf8(text);
  return escapeFormulas ? EscapedFormula(field) : field;
}

}  // namespace

void WriteCsvHeader(std::FILE* out) {
  for (const std::string& field : EntryFieldNames()) {
    WriteField(out, field, &field == &EntryFieldNames().front());
  }
  std::fputs("\r\n", out);
}

std::size_t WriteCsvRow(std::FILE* out, const nlohmann::ordered_json& entry, bool escapeFormulas) {
  std::size_t replaced = 0;
  bool first = true;
  for (const std::string& field : EntryFieldNames()) {
    WriteField(out, FieldText(entry[field], escapeFormulas, replaced), first);
    first = false;
  }
  std::fputs("\r\n", out);
  return replaced;
}

}  // namespace etbtool
