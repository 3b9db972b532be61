#include "etb/RecordEmitter.h"

#include <cctype>
#include <string>

#include "du/EncodingConverter.h"
#include "du/FileSpec.h"
#include "du/Symbol.h"
#include "znk/Structure.h"

namespace etb {

namespace {

const du::Symbol kSeparator("<@@>");
const du::Symbol kMarked("2");
const du::Symbol kUnmarked("0");

bool IsEdExtension(const std::string& extension) {
  std::string lower;
  for (char c : extension) lower += char(std::tolower(static_cast<unsigned char>(c)));
  return lower == "ed" || lower == "edz";
}

bool WantsConversion(const du::SmartPtr<znk::Structure>& structure, bool convertEncoding) {
  if (!convertEncoding || structure.IsNull()) return false;
  du::Symbol source;
  structure->GetFileSource(source);
  std::string extension;
  du::FileSpec(source.safe_c_str()).GetFileExtension(&extension);
  return IsEdExtension(extension);
}

std::string TextOf(const du::Symbol& symbol, bool convert, du::EncodingConverter& converter) {
  std::string text = symbol.safe_c_str();
  if (!convert) return text;
  std::string converted;
  converter.Convert(text, converted, nullptr);
  return converted;
}

// Column 8 of four or more characters reads back with a comment (its text from the third
// character on), and as the last column of its line it would pull the following records into
// that comment.
bool AccessStateReadsAsComment(int accessState) {
  return accessState >= 1000 || accessState <= -100;
}

}  // namespace

// Two entries cannot be written so that they read back as they are; both are written as close
// as the format allows and traced, so that no saved file reads back differently in silence:
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

  const std::string componentName = TextOf(entry->GetCompName(), convert, converter);
  const std::string propertyName = TextOf(entry->GetPropName(), convert, converter);
  const std::string propertyValue =
      TextOf(entry->GetCombinedPropValueAndListString(), convert, converter);
  const std::string nameAndPath = TextOf(entry->GetNameAndPath(), convert, converter);
  const std::string file = TextOf(entry->file, convert, converter);
  const std::string extraText1 = TextOf(entry->extraText1, convert, converter);
  const std::string extraText2 = TextOf(entry->extraText2, convert, converter);
  const int annotationType = entry->annotationType;
  const int accessState = entry->accessState;
  const int secondState = entry->secondState;

  out << entry->GetCompId();
  for (const std::string* text :
       {&componentName, &propertyName, &propertyValue, &nameAndPath, &file}) {
    kSeparator.Print(out);
    out << *text;
  }
  kSeparator.Print(out);
  out << annotationType;
  kSeparator.Print(out);
  out << accessState;

  const bool guardAccessState = AccessStateReadsAsComment(accessState);
  if (secondState >= 2 || !extraText1.empty() || guardAccessState) {
    kSeparator.Print(out);
    (secondState >= 2 ? kMarked : kUnmarked).Print(out);
  }
  if (!extraText1.empty()) {
    kSeparator.Print(out);
    out << extraText1;
    if (!extraText2.empty()) {
      kSeparator.Print(out);
      out << extraText2;
    }
  }
  out << '\n';

  if (guardAccessState) {
    kEtbWriterTracer(dp::TraceType(2))
        << "Access state " << accessState << " reads back with a comment: " << nameAndPath;
  }
  if (extraText1.empty() && !extraText2.empty()) {
    kEtbWriterTracer(dp::TraceType(2))
        << "Extra text 2 left out, it needs an extra text 1: " << nameAndPath;
  }
}

}  // namespace etb
