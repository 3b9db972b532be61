#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text as a terminal shows it: how many columns it takes, and how it is cut to a width.
namespace etbtool {

// `text` on one line in at most `width` terminal columns: line breaks shown as U+23CE, other
// controls (C0, C1, U+2028, U+2029) as blanks, bytes that start no valid UTF-8 sequence as U+FFFD;
// cut with an ellipsis when wider, padded with blanks to exactly `width` when `pad`. Columns are
// those the C library's wcwidth gives: two for wide characters, none for combining ones. Reads no
// further into `text` than the character that makes it too wide.
std::string FitToWidth(std::string_view text, std::size_t width, bool pad = true);

// The columns of the terminal standard output shows on: $COLUMNS when it is a positive number,
// else what the terminal says. 80 when standard output is no terminal (a pipe, a file), so that
// what scripts read never changes with someone's window.
std::size_t OutputColumns();

}  // namespace etbtool
