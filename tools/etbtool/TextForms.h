#pragma once

#include <cstddef>
#include <string>

// Small judgements on the bytes of ETB columns, for the checker's findings.
namespace etbtool {

// The length of the valid UTF-8 sequence at bytes[i] (of `size`), or 0 when none starts there.
std::size_t Utf8SequenceAt(const unsigned char* bytes, std::size_t i, std::size_t size);
bool IsValidUtf8(const char* text, std::size_t size);
// The text with every byte that starts no valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(const std::string& text);

// A spreadsheet runs a cell that starts with = + - @, a tab or a carriage return as a formula:
// such a text gets a leading ', and so does one that starts with ' (so that the mark is never
// ambiguous). UnescapedFormula takes the mark off again, and leaves every other text as it is.
std::string EscapedFormula(const std::string& text);
std::string UnescapedFormula(const std::string& text);

enum class NumberForm { kPlain, kNotPlain, kOverflow };
// kPlain: an optional sign and decimal digits, nothing else, within the range of an int.
NumberForm FormOfNumber(const char* text, std::size_t size);

// Whether a text holds half a separator ("<@@" or "@@>"), most likely a mistyped one.
bool HasSeparatorFragment(const char* text, std::size_t size);

// The separators in a line, counted as a left-to-right search finds them.
int CountSeparators(const std::string& line);

// 3 when the bytes start with UTF-8's byte-order mark, which spreadsheets and editors put
// before the first line; 0 otherwise.
std::size_t ByteOrderMarkLength(const std::string& bytes);

// "csv" or "json" for a name that ends so, in any case; "" otherwise.
std::string FormatOfName(const std::string& name);

// "1 note", "2 notes".
std::string Counted(long count, const char* thing);

// A text for a message: quoted, bytes outside printable ASCII as \xNN, a backslash or quote
// after a backslash, long texts shortened.
std::string Shown(const char* text, std::size_t size);
inline std::string Shown(const std::string& text) { return Shown(text.data(), text.size()); }

}  // namespace etbtool
