#include "TerminalText.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cwchar>

#include "TextForms.h"

namespace etbtool {

namespace {

constexpr char kEllipsis[] = "\u2026";     // a cut text ends in it
constexpr char kLineBreak[] = "\u23CE";    // a line break inside a text (comments)
constexpr char kReplacement[] = "\uFFFD";  // a byte that is no UTF-8

// wcwidth answers by the LC_CTYPE of the calling thread, and under the "C" locale of a program
// that never calls setlocale (or a user's non-UTF-8 locale) it knows no character beyond ASCII.
// Our texts are always UTF-8, so the widths come from C.UTF-8, which every Debian system has,
// whatever the user's locale; the thread's own locale is put back afterwards.
class Utf8Widths {
 public:
  Utf8Widths() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {}
  Utf8Widths(const Utf8Widths&) = delete;
  Utf8Widths& operator=(const Utf8Widths&) = delete;
  ~Utf8Widths() {
    if (utf8_ != nullptr) freelocale(utf8_);
  }

  // The columns of one character; a printable character wcwidth cannot place counts as one.
  std::size_t Columns(char32_t character) const {
    if (utf8_ == nullptr) return 1;
    const locale_t previous = uselocale(utf8_);
    const int columns = wcwidth(static_cast<wchar_t>(character));
    uselocale(previous);
    return columns < 0 ? 1 : static_cast<std::size_t>(columns);
  }

 private:
  locale_t utf8_;
};

// The code point of the valid UTF-8 sequence of `length` bytes at `bytes`.
char32_t CodePoint(const unsigned char* bytes, std::size_t length) {
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t point = bytes[0] & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) point = (point << 6) | (bytes[i] & 0x3F);
  return point;
}

}  // namespace

std::string FitToWidth(std::string_view text, std::size_t width, bool pad) {
  static const Utf8Widths widths;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  // Texts can be megabytes long and a cell shows a few characters of them, so the characters
  // are read only until the text proves wider than the cell. Until then `shown` holds them as
  // they are shown, and `cut` marks the end of those that fit beside an ellipsis: a wide
  // character that does not fit whole goes, and so do the combining characters after it.
  const std::size_t room = width > 0 ? width - 1 : 0;
  std::string shown;
  std::size_t columns = 0;
  std::size_t cut = std::string::npos;
  std::size_t cutColumns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, i, text.size());
    const char* glyph = kReplacement;
    std::size_t glyphColumns = 1;
    if (length > 0) {
      const char32_t point = CodePoint(bytes + i, length);
      if (point == U'\n') {
        glyph = kLineBreak;
      } else if (point < 0x20 || (point >= 0x7F && point < 0xA0) || point == 0x2028 ||
                 point == 0x2029) {
        // C0 and C1 controls and the line and paragraph separators: a terminal moves its
        // cursor on some of them (U+0085 is a line feed, U+009B starts an escape sequence).
        glyph = " ";
      } else {
        glyph = nullptr;
        glyphColumns = widths.Columns(point);
      }
    }
    if (cut == std::string::npos && columns + glyphColumns > room) {
      cut = shown.size();
      cutColumns = columns;
    }
    columns += glyphColumns;
    if (columns > width) {
      shown.resize(cut);
      columns = cutColumns;
      if (width > 0) {
        shown += kEllipsis;
        ++columns;
      }
      break;
    }
    if (glyph != nullptr) {
      shown += glyph;
    } else {
      shown.append(text.data() + i, length);
    }
    i += length == 0 ? 1 : length;
  }
  if (pad) shown.append(width - columns, ' ');
  return shown;
}

std::size_t OutputColumns() {
  constexpr std::size_t kNoTerminal = 80;
  if (::isatty(STDOUT_FILENO) != 1) return kNoTerminal;
  if (const char* columns = std::getenv("COLUMNS"); columns != nullptr) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(columns, &end, 10);
    if (*columns >= '1' && *columns <= '9' && *end == '\0' && number <= 100000) return number;
  }
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kNoTerminal;
}

}  // namespace etbtool
