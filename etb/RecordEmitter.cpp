// One table entry as one ETB record: the entry's texts, converted when asked, then the record
// writer's column rules.
#include "etb/RecordEmitter.h"

#include <cstring>
#include <string>
#include <utility>

#include "du/EncodingConverter.h"
#include "du/Symbol.h"
#include "etb/EtbRecordWriter.h"
#include "etb/ProductEncoding.h"
#include "znk/Structure.h"

namespace etb {

namespace {

// One text column as it is written: the symbol's bytes up to its terminating zero, or, when
// converting, the converter's output for them. A getter's answer may be the only reference to
// its text, so it is kept; an entry's own member is only looked at, which spares a reference
// taken and given back per column.
class ColumnText {
 public:
  ColumnText(du::Symbol&& answer, bool convert, du::EncodingConverter& converter)
      : kept_(std::move(answer)) {
    Take(kept_, convert, converter);
  }
  ColumnText(const du::Symbol& member, bool convert, du::EncodingConverter& converter) {
    Take(member, convert, converter);
  }
  ColumnText(const ColumnText&) = delete;
  ColumnText& operator=(const ColumnText&) = delete;

  const EtbText& text() const { return text_; }

 private:
  void Take(const du::Symbol& symbol, bool convert, du::EncodingConverter& converter) {
    const char* bytes = symbol.safe_c_str();
    text_ = {bytes, std::strlen(bytes)};
    if (!convert) return;
    converter.Convert(std::string(text_.data, text_.size), converted_, nullptr);
    text_ = {converted_.data(), converted_.size()};
  }

  du::Symbol kept_;
  std::string converted_;
  EtbText text_;
};

}  // namespace

void WriteETBEntry(BufferedOutput& out, const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                   const du::SmartPtr<znk::AnnoSetTable>& table, bool convertEncoding) {
  du::EncodingConverter converter(du::EncodingConverter::UTF8(),
                                  du::EncodingConverter::SystemDefault());
  du::SmartPtr<znk::Structure> structure;
  if (!table.IsNull()) structure = table->GetStructure();
  const bool convert = convertEncoding && ProductUsesSystemEncoding(structure);

  const ColumnText componentName(entry->GetCompName(), convert, converter);
  const ColumnText propertyName(entry->GetPropName(), convert, converter);
  const ColumnText propertyValue(entry->GetCombinedPropValueAndListString(), convert, converter);
  const ColumnText nameAndPath(entry->GetNameAndPath(), convert, converter);
  const ColumnText file(entry->file, convert, converter);
  const ColumnText extraText1(entry->extraText1, convert, converter);
  const ColumnText extraText2(entry->extraText2, convert, converter);

  EtbRecord record;
  record.annotationType = entry->annotationType;
  record.accessState = entry->accessState;
  record.secondState = entry->secondState;
  record.componentId = entry->GetCompId();
  record.componentName = componentName.text();
  record.propertyName = propertyName.text();
  record.propertyValue = propertyValue.text();
  record.name = nameAndPath.text();
  record.file = file.text();
  record.extraText1 = extraText1.text();
  record.extraText2 = extraText2.text();
  WriteEtbRecord(out, record);
}

void WriteETBEntry(std::ostream& out, const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                   const du::SmartPtr<znk::AnnoSetTable>& table, bool convertEncoding) {
  BufferedOutput buffered(out);
  WriteETBEntry(buffered, entry, table, convertEncoding);
}

}  // namespace etb
