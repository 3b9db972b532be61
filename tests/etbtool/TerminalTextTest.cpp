// The table view's cells, cut from texts that can be megabytes long.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "TerminalText.h"

namespace {

using etbtool::FitToWidth;

// FitToWidth of `shown` followed by a megabyte that cannot be read: the cell must be decided
// from `shown` alone, which ends with the character that makes the text too wide. A read past
// it ends the test with SIGSEGV.
std::string FitFenced(const std::string& shown, std::size_t width, bool pad) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t fence = std::size_t{1} << 20;
  void* block =
      ::mmap(nullptr, page + fence, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED || ::mprotect(static_cast<char*>(block) + page, fence, PROT_NONE) != 0) {
    ADD_FAILURE() << "no fenced memory";
    return "";
  }
  char* text = static_cast<char*>(block) + page - shown.size();
  std::copy(shown.begin(), shown.end(), text);
  std::string fitted = FitToWidth(std::string_view(text, shown.size() + fence), width, pad);
  ::munmap(block, page + fence);
  return fitted;
}

// The cut keeps whole characters, whole marks and the columns of wide characters.
TEST(FitToWidth, CutsALongTextFromWhatItShows) {
  struct Case {
    const char* shown;
    std::size_t width;
    bool pad;
    const char* cell;
  };
  const Case cases[] = {
      {"Schraube M8", 10, true, "Schraube \u2026"},
      {"Schraube M8", 10, false, "Schraube \u2026"},
      // Two columns each: the fifth would end on the ellipsis's column.
      {"\u30DC\u30EB\u30C8\u7DE0\u7D50\u78BA", 10, true, "\u30DC\u30EB\u30C8\u7DE0\u2026 "},
      {"ab\u65E5\u672C", 4, true, "ab\u2026 "},  // a wide character that does not fit whole
      {"abcde\u0301f", 5, true, "abcd\u2026"},   // goes with its combining accent
      {"Cafe\u0301 No", 6, true, "Cafe\u0301 \u2026"},
      {"a\nb\tc", 4, false, "a\u23CEb\u2026"},             // a line break's mark, a tab as a blank
      {"\u2028\u0085\u009Babc", 5, false, "   a\u2026"},   // the line separator, C1 controls
      {"\x7F\u009F\u00A0ab", 4, false, "  \u00A0\u2026"},  // controls' ends; U+00A0 is none
      {"a", 0, true, ""},                                  // no columns: not even an ellipsis
      {"\xFF\xFEz", 2, true, "\uFFFD\u2026"},              // no UTF-8
      {"\U0001F600\U0001F600", 3, true, "\U0001F600\u2026"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(FitFenced(c.shown, c.width, c.pad), c.cell);
  }
}

}  // namespace
