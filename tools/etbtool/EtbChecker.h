#pragma once

#include <functional>
#include <string>

#include "CheckFinding.h"
#include "etb/EtbRecord.h"
#include "etb/EtbRecordReader.h"
#include "etb/HostRecordSources.h"

namespace etbtool {

class RawLines;

// Reads an ETB file line by line as the loader does, through the loader's own record reader,
// and reports every line whose meaning the loader drops, merges or changes: the reader says what
// it made of each line, and the checker says it in words. Findings go out as they are found:
// nothing of the file is kept but the line at hand.
class EtbChecker final : private etb::RecordReporter {
 public:
  using Report = std::function<void(const Finding&)>;

  // `convert`: the texts pass through the host's converter, as for an ed/edz product.
  EtbChecker(bool convert, Report report) : convert_(convert), report_(std::move(report)) {}

  // Why the file cannot be read ("No such file or directory", "not a regular file (a FIFO)",
  // ...); "" when it was read to its end. Only a regular file is read: nothing else is waited for.
  std::string Check(const std::string& path);

  long lines() const { return line_; }
  long records() const { return records_; }

 private:
  void Add(long line, const char* code, Severity severity, std::string message, std::string host);
  void CheckRawLine(const std::string& raw);
  void CheckLine(char* line, etb::LineSource& more);
  // What the reader tells while it reads a record.
  void FirstColumns(const etb::EtbRecord& record) override;
  void CommentLines(const std::string& continuation) override;
  void NoRecord(int separators) override;
  void CheckNumber(const etb::EtbText& text, int value, const char* column);
  void CheckAccessState(const etb::EtbRecord& record);
  // `unconverted`: why a text that is not UTF-8 stays so; nullptr when the host converts it.
  void CheckText(const etb::EtbText& text, const char* column, const char* unconverted);
  // Why the record's own texts stay unconverted; nullptr when they are converted.
  const char* Unconverted() const;
  void CheckTail(const etb::EtbRecord& record);
  void CheckKind(const etb::EtbRecord& record);

  bool convert_;
  Report report_;
  etb::HostConverter converter_;
  RawLines* raw_ = nullptr;  // the file's raw lines, while a check runs
  long line_ = 0;
  long recordLine_ = 0;  // the line the record at hand starts on
  long records_ = 0;
  bool markedFirstLine_ = false;  // a byte-order mark opens line 1
};

}  // namespace etbtool
