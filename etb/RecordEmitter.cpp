#include "etb/RecordEmitter.h"

#include <charconv>
#include <cstring>
#include <string>
#include <typeinfo>
#include <utility>

#include "du/EncodingConverter.h"
#include "du/Symbol.h"
#include "etb/BufferedOutput.h"
#include "etb/FormatConstants.h"
#include "etb/ProductEncoding.h"
#include "znk/Structure.h"

namespace etb {

namespace {

const du::Symbol kSeparator("<@@>");
const du::Symbol kMarked("2");
const du::Symbol kUnmarked("0");

bool WantsConversion(const du::SmartPtr<znk::Structure>& structure, bool convertEncoding) {
  return convertEncoding && ProductUsesSystemEncoding(structure);
}

// One text column as it is written: the symbol's bytes up to its terminating zero, or, when
// converting, the converter's output for them. It keeps the symbol: a getter's answer may be
// the only reference to its text.
class ColumnText {
 public:
  ColumnText(du::Symbol symbol, bool convert, du::EncodingConverter& converter)
      : symbol_(std::move(symbol)), data_(symbol_.safe_c_str()), size_(std::strlen(data_)) {
    if (!convert) return;
    converter.Convert(std::string(data_, size_), converted_, nullptr);
    data_ = converted_.data();
    size_ = converted_.size();
  }
  ColumnText(const ColumnText&) = delete;
  ColumnText& operator=(const ColumnText&) = delete;

  bool empty() const { return size_ == 0; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  du::Symbol symbol_;
  const char* data_;
  std::size_t size_;
  std::string converted_;
};

// Where a record goes. Savers hand in a BufferedOutput, whose buffer takes the many small
// pieces of a record without a virtual call each; any other stream is written through its
// buffer, skipping the per-call sentry of formatted output. A failed write leaves badbit.
class RecordOutput {
 public:
  explicit RecordOutput(std::ostream& out)
      : out_(out),
        buffered_(typeid(out) == typeid(BufferedOutput) ? &static_cast<BufferedOutput&>(out)
                                                        : nullptr) {}

  void Put(const char* data, std::size_t size) {
    if (size == 0 || !out_.good()) return;
    if (buffered_ != nullptr) {
      buffered_->Append(data, size);
    } else if (out_.rdbuf()->sputn(data, std::streamsize(size)) != std::streamsize(size)) {
      out_.setstate(std::ios_base::badbit);
    }
  }
  void Put(const ColumnText& text) { Put(text.data(), text.size()); }
  // Decimal with a leading '-' when negative, as the stream's integer insertion writes it.
  void Put(int value) {
    char digits[16];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
    Put(digits, std::size_t(written.ptr - digits));
  }
  void Print(const du::Symbol& symbol) { symbol.Print(out_); }

 private:
  std::ostream& out_;
  BufferedOutput* buffered_;
};

// Column 8 of four or more characters reads back with a comment (its text from the third
// character on), and as the last column of its line it would pull the following records into
// that comment.
bool AccessStateReadsAsComment(int accessState) {
  return accessState >= 1000 || accessState <= -100;
}

}  // namespace

// Two entries cannot be written so that they read back as they are; both are written as close
// as the format allows:
// - an access state of four or more characters: a column 9 always follows it, so it never ends
//   its line and never swallows the next records; it still reads back with a comment;
// - an extra text 2 without an extra text 1: it has no column of its own (an empty column 10
//   hides column 11), so it is left out.
void WriteETBEntry(std::ostream& out, const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                   const du::SmartPtr<znk::AnnoSetTable>& table, bool convertEncoding) {
  du::EncodingConverter converter(du::EncodingConverter::UTF8(),
                                  du::EncodingConverter::SystemDefault());
  du::SmartPtr<znk::Structure> structure;
  if (!table.IsNull()) structure = table->GetStructure();
  const bool convert = WantsConversion(structure, convertEncoding);

  const ColumnText componentName(entry->GetCompName(), convert, converter);
  const ColumnText propertyName(entry->GetPropName(), convert, converter);
  const ColumnText propertyValue(entry->GetCombinedPropValueAndListString(), convert, converter);
  const ColumnText nameAndPath(entry->GetNameAndPath(), convert, converter);
  const ColumnText file(entry->file, convert, converter);
  const ColumnText extraText1(entry->extraText1, convert, converter);
  const ColumnText extraText2(entry->extraText2, convert, converter);
  const int annotationType = entry->annotationType;
  const int accessState = entry->accessState;
  const int secondState = entry->secondState;

  RecordOutput record(out);
  record.Put(entry->GetCompId());
  for (const ColumnText* text :
       {&componentName, &propertyName, &propertyValue, &nameAndPath, &file}) {
    record.Print(kSeparator);
    record.Put(*text);
  }
  record.Print(kSeparator);
  record.Put(annotationType);
  record.Print(kSeparator);
  record.Put(accessState);

  const bool guardAccessState = AccessStateReadsAsComment(accessState);
  if (secondState >= kMarkedSecondState || !extraText1.empty() || guardAccessState) {
    record.Print(kSeparator);
    record.Print(secondState >= kMarkedSecondState ? kMarked : kUnmarked);
  }
  if (!extraText1.empty()) {
    record.Print(kSeparator);
    record.Put(extraText1);
    if (!extraText2.empty()) {
      record.Print(kSeparator);
      record.Put(extraText2);
    }
  }
  record.Put("\n", 1);
}

}  // namespace etb
