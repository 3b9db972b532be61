#include "etb/EtbRecordWriter.h"

#include <charconv>

#include "du/Symbol.h"
#include "etb/FormatConstants.h"
#include "etb/RecordRules.h"

namespace etb {

namespace {

// The separator and the column 9 marks, printed through the host's text type.
const du::Symbol kSeparatorSymbol(kSeparator);
const du::Symbol kMarked("2");
const du::Symbol kUnmarked("0");

void Put(BufferedOutput& out, const EtbText& text) {
  if (!text.empty() && out.good()) out.Append(text.data, text.size);
}

// Decimal with a leading '-' when negative, as the stream's integer insertion writes it.
void Put(BufferedOutput& out, int value) {
  char digits[16];
  const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
  if (out.good()) out.Append(digits, std::size_t(written.ptr - digits));
}

// Column 8 of four or more characters reads back with a comment (its text from the third
// character on), and as the last column of its line it would pull the following records into
// that comment.
bool AccessStateReadsAsComment(int accessState) {
  return accessState >= 1000 || accessState <= -100;
}

}  // namespace

void WriteEtbRecord(BufferedOutput& out, const EtbRecord& record) {
  Put(out, record.componentId);
  for (const EtbText* text : {&record.componentName, &record.propertyName, &record.propertyValue,
                              &record.name, &record.file}) {
    kSeparatorSymbol.Print(out);
    Put(out, *text);
  }
  kSeparatorSymbol.Print(out);
  Put(out, record.annotationType);
  kSeparatorSymbol.Print(out);
  Put(out, record.accessState);

  const bool marked = record.secondState >= kMarkedSecondState;
  if (marked || !record.extraText1.empty() || AccessStateReadsAsComment(record.accessState)) {
    kSeparatorSymbol.Print(out);
    (marked ? kMarked : kUnmarked).Print(out);
  }
  if (!record.extraText1.empty()) {
    kSeparatorSymbol.Print(out);
    Put(out, record.extraText1);
    if (!record.extraText2.empty()) {
      kSeparatorSymbol.Print(out);
      Put(out, record.extraText2);
    }
  }
  if (out.good()) out.Append("\n", 1);
}

}  // namespace etb
