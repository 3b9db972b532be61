#include "ImportedEntry.h"

#include <algorithm>
#include <climits>

#include "TextForms.h"
#include "etb/RecordRules.h"
#include "znk/AnnoSetTableEntryData.h"

namespace etbtool {

namespace {

class EntryReader {
 public:
  EntryReader(const nlohmann::json& fields, const EntryPlace& place, bool valuesAreText,
              std::vector<ImportError>& errors)
      : fields_(fields), place_(place), valuesAreText_(valuesAreText), errors_(errors) {}

  void Integer(const char* field, int& value, bool required) {
    const nlohmann::json* given = Find(field, required);
    if (given == nullptr) return;
    if (valuesAreText_ && !required && given->get<std::string>().empty()) return;
    bool fits = false;
    if (valuesAreText_ && given->is_string()) {
      const std::string text = given->get<std::string>();
      const NumberForm form = FormOfNumber(text.data(), text.size());
      if (form == NumberForm::kPlain) {
        value = std::stoi(text);
        return;
      }
      fits = form != NumberForm::kOverflow;
    } else if (given->is_number_integer()) {
      // Read as unsigned, a large number would wrap into the range of an int.
      fits = given->is_number_unsigned()
                 ? given->get<unsigned long long>() <= INT_MAX
                 : given->get<long long>() >= INT_MIN && given->get<long long>() <= INT_MAX;
      if (fits) {
        value = given->get<int>();
        return;
      }
    } else {
      fits = true;  // not an integer at all
    }
    const std::string shown = given->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    Refuse(field, fits ? "not an integer: " + shown
                       : "out of range (-2147483648 to 2147483647): " + shown);
  }

  // A text column: UTF-8, no line feed, no separator, no NUL (the format has no escapes).
  void Text(const char* field, std::string& value, bool required, bool anyBytes = false) {
    const nlohmann::json* given = Find(field, required);
    if (given == nullptr || given->is_null()) return;
    if (!given->is_string()) {
      Refuse(field, "not a text");
      return;
    }
    value = given->get<std::string>();
    if (!IsValidUtf8(value.data(), value.size())) {
      Refuse(field, "not UTF-8: " + Shown(value) + " (convert the file, e.g. iconv -f latin1)");
    }
    if (anyBytes) return;
    if (value.find('\n') != std::string::npos) {
      Refuse(field, "a line feed, which ends an ETB record");
    } else if (value.find(etb::kSeparator) != std::string::npos) {
      Refuse(field, "the separator <@@>, which an ETB record cannot carry");
    } else if (value.find('\0') != std::string::npos) {
      Refuse(field, "a NUL byte, which ends an ETB line");
    }
  }

  void Refuse(const std::string& field, const std::string& reason) {
    const auto line = place_.fields.find(field);
    errors_.push_back({line != place_.fields.end() ? line->second : place_.line, field,
                       place_.path.empty() ? reason : reason + " (" + place_.path + ")"});
  }

 private:
  // The field's value; null when it is not given (refused when it is required).
  const nlohmann::json* Find(const char* field, bool required) {
    const auto found = fields_.find(field);
    if (found != fields_.end()) return &*found;
    if (required) Refuse(field, "missing");
    return nullptr;
  }

  const nlohmann::json& fields_;
  const EntryPlace& place_;
  bool valuesAreText_;
  std::vector<ImportError>& errors_;
};

}  // namespace

const std::vector<std::string>& EntryFieldNames() {
  static const std::vector<std::string> names = {
      "componentId",    "componentName", "propertyName",   "propertyValue",
      "name",           "file",          "annotationType", "accessState",
      "secondState",    "comment",       "extraText1",     "extraText2",
      "sessionAstFile", "isPreference",  "hasColor",       "color"};
  return names;
}

ImportedEntry ReadEntry(const nlohmann::json& fields, const EntryPlace& place, bool valuesAreText,
                        std::vector<ImportError>& errors) {
  ImportedEntry entry;
  EntryReader reader(fields, place, valuesAreText, errors);
  for (const auto& [field, value] : fields.items()) {
    const auto& names = EntryFieldNames();
    if (std::find(names.begin(), names.end(), field) == names.end()) {
      reader.Refuse(field, "not a field of an entry");
    }
  }
  reader.Integer("componentId", entry.componentId, true);
  reader.Text("componentName", entry.componentName, true);
  reader.Text("propertyName", entry.propertyName, true);
  reader.Text("propertyValue", entry.propertyValue, true);
  reader.Text("name", entry.name, true);
  reader.Text("file", entry.file, true);
  reader.Integer("annotationType", entry.annotationType, true);
  reader.Integer("accessState", entry.accessState, true);
  reader.Integer("secondState", entry.secondState, false);
  reader.Text("comment", entry.comment, false, true);
  reader.Text("extraText1", entry.extraText1, false);
  reader.Text("extraText2", entry.extraText2, false);
  if (entry.accessState >= 1000 || entry.accessState <= -100) {
    reader.Refuse("accessState", "four or more characters, which read back as a comment");
  }
  const auto fileEndsIn = [&entry](const char* suffix) {
    return etb::EndsWithBytes(entry.file, suffix);
  };
  if (etb::NamesZndBeside(entry.annotationType, fileEndsIn)) {
    reader.Refuse("file", "an .ast file of a type 15 entry reads back as .znd");
  }
  if (etb::IsViewStateRecord(entry.annotationType, fileEndsIn)) {
    reader.Refuse("file",
                  "a .zna file of a type 1, 3 or 4 entry reads back as a view-state source");
  }
  if (entry.extraText1.empty() && !entry.extraText2.empty()) {
    reader.Refuse("extraText2", "given without an extraText1, so no column can carry it");
  }
  // The loader takes a carriage return before the line feed for a CRLF line end.
  const bool lastIsSecond = !entry.extraText2.empty();
  const std::string& last = lastIsSecond ? entry.extraText2 : entry.extraText1;
  if (!last.empty() && last.back() == '\r') {
    reader.Refuse(lastIsSecond ? "extraText2" : "extraText1",
                  "a carriage return at the end of the record, which reads back as a line end");
  }
  return entry;
}

du::SmartPtr<znk::AnnoSetTableEntry> NewHostEntry(const ImportedEntry& imported) {
  znk::AnnoSetTableEntryData data;
  data.componentId = imported.componentId;
  data.componentName = imported.componentName;
  data.propertyName = imported.propertyName;
  data.propertyValue = imported.propertyValue;
  data.name = imported.name;
  data.reservedText = du::Symbol::EMPTY;
  data.annotationType = imported.annotationType;
  du::SmartPtr<znk::AnnoSetTableEntry> entry;
  znk::AnnoSetTableEntry::Create(entry, data, imported.file, imported.accessState,
                                 imported.secondState, false);
  if (entry.IsNull()) return entry;
  if (!imported.comment.empty()) entry->comment = imported.comment;
  if (!imported.extraText1.empty()) entry->extraText1 = imported.extraText1;
  if (!imported.extraText2.empty()) entry->extraText2 = imported.extraText2;
  return entry;
}

}  // namespace etbtool
