#include "TerminalText.h"

#include <clocale>
#include <cwchar>
#include <vector>

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

struct Glyph {
  std::string bytes;
  std::size_t columns;
};

}  // namespace

std::string FitToWidth(const std::string& text, std::size_t width, bool pad) {
  static const Utf8Widths widths;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::vector<Glyph> shown;
  std::size_t total = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, i, text.size());
    if (length == 0) {
      shown.push_back({kReplacement, 1});
      ++i;
      continue;
    }
    const char32_t point = CodePoint(bytes + i, length);
    if (point == U'\n') {
      shown.push_back({kLineBreak, 1});
    } else if (point < 0x20 || point == 0x7F) {
      shown.push_back({" ", 1});
    } else {
      shown.push_back({text.substr(i, length), widths.Columns(point)});
    }
    total += shown.back().columns;
    i += length;
  }
  // Too wide: as many characters as fit beside the ellipsis; a wide character that does not
  // fit whole goes, and so do the combining characters after it.
  const std::size_t room = total > width && width > 0 ? width - 1 : width;
  std::string fitted;
  std::size_t used = 0;
  for (const Glyph& character : shown) {
    if (used + character.columns > room) break;
    fitted += character.bytes;
    used += character.columns;
  }
  if (total > width && width > 0) {
    fitted += kEllipsis;
    ++used;
  }
  return pad ? fitted + std::string(width - used, ' ') : fitted;
}

}  // namespace etbtool
