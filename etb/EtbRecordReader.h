#pragma once

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
  // A column's text as it is, or converted into `kept`.
  EtbText Text(char* column, std::size_t size, std::string& kept);

  du::EncodingConverter* converter_;
  std::string kept_[7];  // converted or copied texts, one per text column
};

// The lines a comment goes on over: each following line up to its first separator, after a line
// feed; the first line with a separator ends the comment, and the scanner stands on its next
// column. End of file ends it too.
std::string ReadCommentLines(ETBParser_Scanner& scanner, du::LineReader& lines);

}  // namespace etb
