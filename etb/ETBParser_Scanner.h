#pragma once

namespace etb {

// Splitting state of one ETB record, which may run over several lines when its comment does.
// Columns are cut in place: the separator's first byte becomes the column's terminating NUL.
struct ETBParser_Scanner {
  char* lineStart;     // the line being split
  char* cursor;        // start of the next column; null once a column had no separator behind it
  int separatorCount;  // separators found for this record, over all its lines
  bool lastOnLine;     // the column taken last had no separator behind it on its line

  // The column at the cursor, or null when the record has no further column.
  char* TakeNextColumn();
};

}  // namespace etb
