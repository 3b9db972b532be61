#pragma once

#include <memory>
#include <string>

#include "du/EncodingConverter.h"
#include "du/LineReader.h"
#include "etb/ETBParser_Scanner.h"
#include "etb/EtbRecord.h"

namespace etb {

// Reads one ETB record from its line, cut in place, in two steps around the comment lines that
// column 8 may pull: what it makes of the columns is the format's, and nothing of the host's.
// Texts stay in the line unless they are converted or must outlive it; then the reader keeps
// them, so it must live as long as the record is used.
class EtbRecordReader {
 public:
  enum class FirstLine {
    kNoRecord,       // a text column (2 to 6) is missing: the line is no record
    kRead,           // columns 1 to 8 are read
    kCommentGoesOn,  // the same, and the comment goes on over the following lines
  };

  // With a converter, the text columns pass through it (the comment never does).
  explicit EtbRecordReader(du::EncodingConverter* converter) : converter_(converter) {}
  EtbRecordReader(const EtbRecordReader&) = delete;
  EtbRecordReader& operator=(const EtbRecordReader&) = delete;

  // Columns 1 to 8 of the scanner's line. When the comment goes on, the texts are copied out of
  // the line first, since reading the next line reuses its buffer.
  FirstLine ReadFirstColumns(ETBParser_Scanner& scanner, EtbRecord& record);
  // Columns 9 to 11, from where the scanner stands (after the comment's last line).
  void ReadLastColumns(ETBParser_Scanner& scanner, EtbRecord& record);

 private:
  // A column's text as it is, or converted into the column's kept text.
  EtbText Text(char* column, std::size_t size, std::size_t keptAt);

  // Where a text column is kept (0 to 4: columns 2 to 6; 5, 6: the extra texts). Made on first
  // use: most lines keep nothing.
  std::string& Kept(std::size_t column);

  du::EncodingConverter* converter_;
  std::unique_ptr<std::string[]> kept_;
};

// The lines a comment goes on over: each following line up to its first separator, after a line
// feed; the first line with a separator ends the comment, and the scanner stands on its next
// column. End of file ends it too.
std::string ReadCommentLines(ETBParser_Scanner& scanner, du::LineReader& lines);

}  // namespace etb
