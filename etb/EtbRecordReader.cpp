// Reading ETB records from lines: splitting, numbers, texts and the comment's lines.
#include "etb/EtbRecordReader.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "etb/RecordRules.h"

namespace etb {

namespace {

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

// The size of the column just taken: up to its separator, or to the end of its line.
std::size_t SizeOf(const char* column, const ETBParser_Scanner& scanner) {
  return scanner.cursor != nullptr ? std::size_t(scanner.cursor - kSeparatorLength - column)
                                   : std::strlen(column);
}

// The column just taken as it stands in its line, or absent.
EtbText Seen(const char* column, const ETBParser_Scanner& scanner) {
  return column != nullptr ? EtbText{column, SizeOf(column, scanner)} : EtbText{};
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

std::string& EtbRecordReader::Kept(std::size_t column) {
  if (kept_ == nullptr) kept_ = std::make_unique<std::string[]>(7);
  return kept_[column];
}

EtbText EtbRecordReader::Text(char* column, std::size_t size, std::size_t keptAt) {
  if (converter_ == nullptr) return {column, size};
  // The work text holds the bytes first: a converter that fails without writing leaves them.
  std::string& kept = Kept(keptAt);
  kept.assign(column, size);
  converter_->Convert(std::string(column, size), kept);
  return {kept.c_str(), kept.size()};
}

bool EtbRecordReader::ReadFirstColumns(ETBParser_Scanner& scanner, EtbRecord& record,
                                       bool& commentGoesOn) {
  char* column = scanner.TakeNextColumn();
  record.componentId = column != nullptr ? ReadAtoi(column) : 0;
  record.componentIdText = Seen(column, scanner);
  EtbText* const texts[] = {&record.componentName, &record.propertyName, &record.propertyValue,
                            &record.name, &record.file};
  for (std::size_t i = 0; i < 5; ++i) {
    char* text = scanner.TakeNextColumn();
    if (text == nullptr) return false;
    const std::size_t size = SizeOf(text, scanner);
    *texts[i] = converter_ == nullptr ? EtbText{text, size} : Text(text, size, i);
  }
  column = scanner.TakeNextColumn();
  record.annotationType = column != nullptr ? ReadAtoi(column) : 0;
  record.annotationTypeText = Seen(column, scanner);

  // Column 8: the access state, then from its third byte on the comment's first line, which
  // goes on over the following lines when nothing follows it on its own.
  scanner.lastOnLine = true;
  column = scanner.TakeNextColumn();
  record.separators = scanner.separatorCount;
  record.accessStateText = Seen(column, scanner);
  if (column == nullptr) return true;
  record.accessState = ExtractInt(column);
  if (SizeOf(column, scanner) < kShortestCommentColumn) return true;
  record.comment.assign(column + kCommentOffset);
  commentGoesOn = scanner.lastOnLine;
  if (!commentGoesOn) return true;
  if (converter_ == nullptr) {  // converted texts are kept already
    for (std::size_t i = 0; i < 5; ++i) {
      std::string& kept = Kept(i);
      kept.assign(texts[i]->data, texts[i]->size);
      *texts[i] = {kept.c_str(), kept.size()};
    }
  }
  return true;
}

void EtbRecordReader::ReadLastColumns(ETBParser_Scanner& scanner, EtbRecord& record) {
  char* column = scanner.TakeNextColumn();
  record.secondState = column != nullptr ? ReadAtoi(column) : 0;
  record.secondStateText = Seen(column, scanner);
  // Extra texts: column 11 counts only behind a non-empty column 10.
  if (scanner.cursor != nullptr) {
    char* text = scanner.TakeNextColumn();
    if (*text != '\0') {
      record.extraText1 = Text(text, SizeOf(text, scanner), 5);
      if (scanner.cursor != nullptr) {
        text = scanner.TakeNextColumn();
        if (*text != '\0') record.extraText2 = Text(text, SizeOf(text, scanner), 6);
      }
    }
  }
  record.separators = scanner.separatorCount;
  record.columnsLeft = scanner.cursor != nullptr;
}

bool EtbRecordReader::ReadRecord(char* line, LineSource& more, EtbRecord& record) {
  ETBParser_Scanner scanner{line, line, 0, false};
  bool commentGoesOn = false;
  if (!ReadFirstColumns(scanner, record, commentGoesOn)) {
    if (reporter_ != nullptr) reporter_->NoRecord(scanner.separatorCount);
    return false;
  }
  if (reporter_ != nullptr) reporter_->FirstColumns(record);
  if (commentGoesOn) {
    const std::string continuation = more.RemainingComment(scanner);
    record.comment += continuation;
    if (reporter_ != nullptr) reporter_->CommentLines(continuation);
  }
  ReadLastColumns(scanner, record);
  if (reporter_ != nullptr && !HasAllColumns(record)) reporter_->NoRecord(record.separators);
  return true;
}

std::string LineSource::RemainingComment(ETBParser_Scanner& scanner) {
  return ReadCommentLines(scanner, *this);
}

std::string ReadCommentLines(ETBParser_Scanner& scanner, LineSource& lines) {
  std::string continuation;
  while (char* line = lines.NextLine()) {
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
