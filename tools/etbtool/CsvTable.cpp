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

std::string FieldText(const nlohmann::ordered_json& value) {
  if (value.is_null()) return "";
  if (value.is_string()) return ValidUtf8(value.get<std::string>());
  return value.dump();  // numbers and booleans
}

}  // namespace

void WriteCsvHeader(std::FILE* out) {
  for (const std::string& field : EntryFieldNames()) {
    WriteField(out, field, &field == &EntryFieldNames().front());
  }
  std::fputs("\r\n", out);
}

void WriteCsvRow(std::FILE* out, const nlohmann::ordered_json& entry) {
  bool first = true;
  for (const std::string& field : EntryFieldNames()) {
    WriteField(out, FieldText(entry[field]), first);
    first = false;
  }
  std::fputs("\r\n", out);
}

}  // namespace etbtool
