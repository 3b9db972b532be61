// One ETB line (one record, columns separated by "<@@>") into the host object model.
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "du/EncodingConverter.h"
#include "etb/ETBParser_Scanner.h"
#include "etb/FormatConstants.h"
#include "etb/Parser.h"
#include "etb/ProductEncoding.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/AnnoSetTableEntryData.h"
#include "znk/ComponentNode.h"
#include "znk/Structure.h"
#include "znk/ViewStateSource.h"

namespace etb {

namespace {

constexpr std::size_t kSeparatorLength = 4;  // "<@@>"
constexpr int kRecordSeparators = 6;         // columns 1 to 7

// The column's text as a symbol, converted when asked to. Converted text passes through `work`;
// unconverted bytes go to the symbol directly.
du::Symbol TakeText(const char* column, bool convert, du::EncodingConverter& converter,
                    std::string& work) {
  if (!convert) return du::Symbol(column);
  const std::string bytes(column);
  converter.Convert(bytes, work, nullptr);
  return du::Symbol(work);
}

// A signed int read the way formatted stream extraction reads one in the classic locale: leading
// white space, an optional sign, decimal digits; no digits read as 0, and a value out of range
// as the nearest limit.
int ExtractInt(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long long value = 0;
  bool overflow = false;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > 1LL + INT_MAX) overflow = true, value = 1LL + INT_MAX;
  }
  if (negative) value = -value;
  if (overflow || value > INT_MAX) return value < 0 ? INT_MIN : INT_MAX;
  return value < INT_MIN ? INT_MIN : int(value);
}

// The first "<@@>" at or after `text`, as strstr finds it; '<' is rare in records, so looking for
// it first is the quicker road.
char* FindSeparator(char* text) {
  for (char* at = std::strchr(text, '<'); at != nullptr; at = std::strchr(at + 1, '<')) {
    if (at[1] == '@' && at[2] == '@' && at[3] == '>') return at;
  }
  return nullptr;
}

// std::atoi, as the C library computes it (the value of strtol, which saturates at the limits of
// long, cut to int), without the library's locale machinery.
int ReadAtoi(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  const unsigned long limit = negative ? 0UL - static_cast<unsigned long>(LONG_MIN) : LONG_MAX;
  unsigned long magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    const unsigned long digit = static_cast<unsigned long>(*text - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  const unsigned long value = negative ? 0UL - magnitude : magnitude;
  return static_cast<int>(static_cast<long>(value));
}

bool EndsWith(const du::Symbol& text, const char* suffix) {
  return text.length() >= 4 && text.substr(text.length() - 4, 4) == suffix;
}

}  // namespace

char* ETBParser_Scanner::TakeNextColumn() {
  char* column = cursor;
  if (cursor != nullptr) {
    char* separator = FindSeparator(cursor);
    if (separator != nullptr) {
      *separator = '\0';
      ++separatorCount;
      cursor = separator + kSeparatorLength;
      lastOnLine = false;
    } else {
      cursor = nullptr;
    }
  }
  return column;
}

void Parser::ParseLine(char* line, du::LineReader& lines) {
  du::EncodingConverter converter;
  du::SmartPtr<znk::Structure> structure;
  if (!table.IsNull()) structure = table->GetStructure();
  const bool convert = ProductUsesSystemEncoding(structure);

  ETBParser_Scanner scanner{line, line, 0, false};
  const char* column = scanner.TakeNextColumn();
  znk::AnnoSetTableEntryData data;
  data.componentId = column != nullptr ? ReadAtoi(column) : 0;

  // Columns 2 to 6: component name, property name, property value, name, file.
  std::string work;
  du::Symbol file;
  du::Symbol* texts[] = {&data.componentName, &data.propertyName, &data.propertyValue, &data.name,
                         &file};
  for (du::Symbol* text : texts) {
    column = scanner.TakeNextColumn();
    if (column == nullptr) return;
    *text = TakeText(column, convert, converter, work);
  }

  column = scanner.TakeNextColumn();
  data.annotationType = column != nullptr ? ReadAtoi(column) : 0;

  // Column 8: the access state, then from its third byte on the comment's first line, which goes
  // on over the following lines when nothing follows it on its own.
  int accessState = 0;
  std::string comment;
  scanner.lastOnLine = true;
  column = scanner.TakeNextColumn();
  if (column != nullptr) {
    accessState = ExtractInt(column);
    if (std::strlen(column) >= 4) {
      comment.assign(column + 2);
      if (scanner.lastOnLine) comment += ReadRemainingComment(scanner, lines);
    }
  }

  column = scanner.TakeNextColumn();
  const int secondState = column != nullptr ? ReadAtoi(column) : 0;

  // Extra texts: column 11 counts only behind a non-empty column 10.
  du::Symbol extraText1;
  du::Symbol extraText2;
  if (scanner.cursor != nullptr) {
    column = scanner.TakeNextColumn();
    if (*column != '\0') {
      extraText1 = TakeText(column, convert, converter, work);
      if (scanner.cursor != nullptr) {
        column = scanner.TakeNextColumn();
        if (*column != '\0') {
          extraText2 = TakeText(column, convert, converter, work);
        }
      }
    }
  }

  if (scanner.separatorCount < kRecordSeparators || file.IsNull()) return;

  if (data.annotationType == kAstRecordAnnotationType && EndsWith(file, ".ast")) {
    file = file.substr(0, file.length() - 4) + ".znd";
  }

  const int type = data.annotationType;
  if ((type == 1 || type == 3 || type == 4) && EndsWith(file, ".zna")) {
    // A view-state source record. Without a structure or a root there is nowhere to put it.
    du::SmartPtr<znk::ComponentNode> root;
    if (!structure.IsNull()) structure->GetRoot(root);
    if (root.IsNull()) return;
    du::SmartPtr<znk::ViewStateSource> source;
    znk::ViewStateSource::Create(source, root.get(), data.name,
                                 znk::ViewStateSource::VIEWSTATESOURCE_FILE, file, 0);
    root->AddViewStateSource(source);
    return;
  }

  data.reservedText = du::Symbol::EMPTY;
  if (sessionState) data.annotationType = kSessionStateAnnotationType;
  du::SmartPtr<znk::AnnoSetTableEntry> entry;
  znk::AnnoSetTableEntry::Create(entry, data, file, accessState, secondState, false);
  if (entry.IsNull()) return;  // the host had no memory for it

  if (sessionState && !structure.IsNull()) {
    structure->GetSessionStateAstFileName(entry->sessionAstFile);
    structure->SetSessionStateAnnoEntry(entry);
    return;
  }
  if (!comment.empty()) entry->comment = comment;
  entry->extraText1 = std::move(extraText1);
  entry->extraText2 = std::move(extraText2);
  table->AddEntry(entry);
}

std::string Parser::ReadRemainingComment(ETBParser_Scanner& scanner, du::LineReader& lines) {
  std::string continuation;
  while (lines.ReadLine()) {
    char* line = lines.GetBuffer();
    scanner.lineStart = line;
    scanner.cursor = line;
    scanner.lastOnLine = true;
    continuation += '\n';
    continuation += scanner.TakeNextColumn();
    if (!scanner.lastOnLine) break;  // the record goes on with column 9 on this line
  }
  return continuation;
}

}  // namespace etb
