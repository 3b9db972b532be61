#pragma once

#include <memory>
#include <string>

#include "etb/ETBParser_Scanner.h"
#include "etb/EtbRecord.h"

// The record layer: ETB lines into records, on the standard library alone. The host comes in
// through the small interfaces below, so the loader and `etbtool check` share one reader.
namespace etb {

// The lines after a record's first, which its comment may go on over.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line's writable, NUL-terminated text without its terminator; null at the end. A
  // host's reader may throw instead; the reader lets it through.
  virtual char* NextLine() = 0;
  // The lines the comment goes on over, read from here by ReadCommentLines unless the source
  // routes them through a reader of its own.
  virtual std::string RemainingComment(ETBParser_Scanner& scanner);
};

// The conversion of the text columns of ed/edz products.
class TextConverter {
 public:
  virtual ~TextConverter() = default;
  // `out` holds the column's bytes when called, and keeps them when nothing is written.
  virtual void Convert(const std::string& bytes, std::string& out) = 0;
};

// Told what the reader makes of a line that its writer may not have meant; the loader has none.
class RecordReporter {
 public:
  virtual ~RecordReporter() = default;
  // Columns 1 to 8 are read; every text of `record`, number forms included, is in the first line.
  virtual void FirstColumns(const EtbRecord& record) = 0;
  // The comment went on over the following lines, each in `continuation` after a line feed.
  virtual void CommentLines(const std::string& continuation) = 0;
  // No record: a text column is missing, or the record ends with fewer than kRecordSeparators.
  virtual void NoRecord(int separators) = 0;
};

class EtbRecordReader {
 public:
  // With a converter, the text columns pass through it (the comment never does).
  explicit EtbRecordReader(TextConverter* converter, RecordReporter* reporter = nullptr)
      : converter_(converter), reporter_(reporter) {}
  EtbRecordReader(const EtbRecordReader&) = delete;
  EtbRecordReader& operator=(const EtbRecordReader&) = delete;

  // Reads the record that starts at `line`, cutting it in place, and the lines its comment goes
  // on over from `more`. False when a text column is missing. A record with too few separators
  // is read all the same: its reader decides (HasAllColumns). The texts point into the line, or
  // into this reader once converted or once the comment went on; the number forms point into
  // the line they stand on. Both stay valid until the next call or the next line is read.
  bool ReadRecord(char* line, LineSource& more, EtbRecord& record);

 private:
  bool ReadFirstColumns(ETBParser_Scanner& scanner, EtbRecord& record, bool& commentGoesOn);
  void ReadLastColumns(ETBParser_Scanner& scanner, EtbRecord& record);
  // A column's text as it is, or converted into the column's kept text.
  EtbText Text(char* column, std::size_t size, std::size_t keptAt);
  // Where a text column is kept (0 to 4: columns 2 to 6; 5, 6: the extra texts). Made on first
  // use: most lines keep nothing.
  std::string& Kept(std::size_t column);

  TextConverter* converter_;
  RecordReporter* reporter_;
  std::unique_ptr<std::string[]> kept_;
};

// The lines a comment goes on over: each following line up to its first separator, after a line
// feed; the first line with a separator ends the comment, and the scanner stands on its next
// column. End of file ends it too.
std::string ReadCommentLines(ETBParser_Scanner& scanner, LineSource& lines);

}  // namespace etb
