#include "TextForms.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "etb/RecordRules.h"

namespace etbtool {

std::size_t Utf8SequenceAt(const unsigned char* bytes, std::size_t i, std::size_t size) {
  const unsigned char lead = bytes[i];
  if (lead < 0x80) return 1;
  std::size_t length = 2;
  unsigned int low = 0x80;   // the least second byte, which rules out overlong forms
  unsigned int high = 0xBF;  // the greatest, which rules out surrogates and beyond U+10FFFF
  if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else if (lead < 0xC2 || lead > 0xDF) {
    return 0;
  }
  if (size - i < length || bytes[i + 1] < low || bytes[i + 1] > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(const char* text, std::size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = 0, length = 0; i < size; i += length) {
    length = Utf8SequenceAt(bytes, i, size);
    if (length == 0) return false;
  }
  return true;
}

std::string ValidUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::string valid;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, i, text.size());
    valid.append(length == 0 ? "\xEF\xBF\xBD" : text.substr(i, length));
    i += length == 0 ? 1 : length;
  }
  return valid;
}

namespace {

constexpr const char* kFormulaStarts = "=+-@\t\r'";

bool StartsFormula(const std::string& text, std::size_t at) {
  return at < text.size() && std::strchr(kFormulaStarts, text[at]) != nullptr && text[at] != '\0';
}

}  // namespace

std::string EscapedFormula(const std::string& text) {
  return StartsFormula(text, 0) ? "'" + text : text;
}

std::string UnescapedFormula(const std::string& text) {
  return !text.empty() && text[0] == '\'' && StartsFormula(text, 1) ? text.substr(1) : text;
}

NumberForm FormOfNumber(const char* text, std::size_t size) {
  std::size_t i = size > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == size) return NumberForm::kNotPlain;
  const bool negative = text[0] == '-';
  long long value = 0;
  bool overflow = false;
  for (; i < size; ++i) {
    if (text[i] < '0' || text[i] > '9') return NumberForm::kNotPlain;
    value = value * 10 + (text[i] - '0');
    if (value > 1LL + INT_MAX) overflow = true, value = 1LL + INT_MAX;
  }
  overflow = overflow || (negative ? -value < INT_MIN : value > INT_MAX);
  return overflow ? NumberForm::kOverflow : NumberForm::kPlain;
}

bool HasSeparatorFragment(const char* text, std::size_t size) {
  for (std::size_t i = 0; i + 3 <= size; ++i) {
    if (std::memcmp(text + i, "<@@", 3) == 0 || std::memcmp(text + i, "@@>", 3) == 0) return true;
  }
  return false;
}

int CountSeparators(const std::string& line) {
  int count = 0;
  for (std::size_t at = line.find(etb::kSeparator); at != std::string::npos;
       at = line.find(etb::kSeparator, at + etb::kSeparatorLength)) {
    ++count;
  }
  return count;
}

std::size_t ByteOrderMarkLength(const std::string& bytes) {
  return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

std::string FormatOfName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension == "csv" || extension == "json" ? extension : "";
}

std::string Counted(long count, const char* thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string Shown(const char* text, std::size_t size) {
  constexpr std::size_t kLongest = 40;
  std::string shown = "'";
  for (std::size_t i = 0; i < size && i < kLongest; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\\' || byte == '\'') {  // so that a shown \x01 is always one byte
      shown += '\\';
      shown += char(byte);
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += char(byte);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown + (size > kLongest ? "...'" : "'");
}

}  // namespace etbtool
