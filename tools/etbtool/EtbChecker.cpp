#include "EtbChecker.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "RawLines.h"
#include "TextForms.h"
#include "du/FileReader.h"
#include "etb/EtbRecordReader.h"
#include "etb/FormatConstants.h"
#include "etb/RecordRules.h"
#include "standin/InputFile.h"
#include "standin/InputLimits.h"
#include "standin/TraceCapture.h"

namespace etbtool {

namespace {

// What a finding on a text that is not UTF-8 says the host does with it.
constexpr const char* kNoProduct = "kept as bytes; no ed/edz product converts it";
constexpr const char* kNeverConverted = "kept as bytes; comments are never converted";

bool IsBlank(const char* line) {
  for (; *line != '\0'; ++line) {
    if (!std::isspace(static_cast<unsigned char>(*line))) return false;
  }
  return true;
}

auto EndsWith(const etb::EtbText& text) {
  return [&text](const char* suffix) {
    return text.size >= 4 && std::memcmp(text.data + text.size - 4, suffix, 4) == 0;
  };
}

std::string Text(const etb::EtbText& text) { return {text.data, text.size}; }

}  // namespace

std::string EtbChecker::Check(const std::string& path) {
  const standin::InputFile input = standin::OpenInputFile(path);
  if (input.fd < 0) return input.reason;
  RawLines raw(input.fd);
  du::FileReader file;
  if (!raw.IsOpen() || !file.Open(du::Symbol(path), 0, 8192)) return "cannot be opened";
  const standin::TraceCapture hostTraces;  // the line reader says when it refuses a line
  raw_ = &raw;
  try {
    du::LineReader lines(&file, 0);
    etb::HostLines more(lines);
    while (lines.ReadLine()) {
      raw.Next();
      ++line_;
      CheckRawLine(raw.Line());
      CheckLine(lines.GetBuffer(), more);
    }
  } catch (bool) {  // the host's reader failed, or refused a line over its limit
    raw_ = nullptr;
    if (hostTraces.Lines().empty()) return "the reading failed partway";
    ++line_;  // the refused line was read, up to the limit
    Add(line_, "line-too-long", Severity::kError,
        "longer than the host's limit of " + std::to_string(standin::GetLineLengthLimit()) +
            " bytes",
        "the host stops reading there: a load fails, keeping the records above");
  }
  raw_ = nullptr;
  return "";
}

void EtbChecker::Add(long line, const char* code, Severity severity, std::string message,
                     std::string host) {
  report_(Finding{line, code, severity, std::move(message), std::move(host)});
}

// What the host's line reader hides: a byte-order mark, NUL bytes and carriage returns.
void EtbChecker::CheckRawLine(const std::string& raw) {
  if (line_ == 1 && ByteOrderMarkLength(raw) > 0) {
    markedFirstLine_ = true;
    Add(line_, "byte-order-mark", Severity::kWarning, "the file starts with a byte-order mark",
        "the mark is part of column 1, whose component id then reads as 0");
  }
  const std::size_t nul = raw.find('\0');
  if (nul != std::string::npos) {
    Add(line_, "nul-byte", Severity::kWarning,
        "NUL byte at byte " + std::to_string(nul + 1) + " of the line",
        "the line ends there: " + std::to_string(raw.size() - nul) + " bytes are cut off");
  }
  // The host drops the returns that end the text it keeps, and keeps any other.
  const std::size_t kept = std::min(nul, raw.size());
  std::size_t end = kept;
  while (end > 0 && raw[end - 1] == '\r') --end;
  if (std::memchr(raw.data(), '\r', end) != nullptr) {
    Add(line_, "carriage-return", Severity::kWarning, "carriage return inside the line",
        "it stays in the column's text");
  } else if (end < kept) {
    Add(line_, "line-end-return", Severity::kInfo, "the line ends in a carriage return",
        "this host's line reader drops it");
  }
}

void EtbChecker::CheckLine(char* line, etb::LineSource& more) {
  if (IsBlank(line)) {
    Add(line_, "blank-line", Severity::kInfo, "blank line", "skipped");
    return;
  }
  recordLine_ = line_;
  etb::EtbRecord record;
  etb::EtbRecordReader reader(convert_ ? &converter_ : nullptr, this);
  if (!reader.ReadRecord(line, more, record) || !etb::HasAllColumns(record)) return;
  ++records_;
  CheckNumber(record.secondStateText, record.secondState, "column 9 (second state)");
  CheckText({record.comment.data(), record.comment.size()}, "the comment", kNeverConverted);
  CheckTail(record);
  CheckKind(record);
}

void EtbChecker::NoRecord(int separators) {
  Add(recordLine_, "short-line", Severity::kWarning,
      Counted(separators, "separator") + "; a record needs " +
          std::to_string(etb::kRecordSeparators),
      "the line is skipped");
}

// Columns 1 to 8, while their line is at hand: a comment that goes on reads the next lines into
// the same buffer.
void EtbChecker::FirstColumns(const etb::EtbRecord& record) {
  if (!(markedFirstLine_ && line_ == 1)) {
    CheckNumber(record.componentIdText, record.componentId, "column 1 (component id)");
  }
  CheckNumber(record.annotationTypeText, record.annotationType, "column 7 (annotation type)");
  CheckAccessState(record);
  const etb::EtbText* const texts[] = {&record.componentName, &record.propertyName,
                                       &record.propertyValue, &record.name, &record.file};
  static const char* const names[] = {"column 2 (component name)", "column 3 (property name)",
                                      "column 4 (property value)", "column 5 (name)",
                                      "column 6 (file)"};
  for (std::size_t i = 0; i < 5; ++i) CheckText(*texts[i], names[i], Unconverted());
}

// The lines a comment took: counted on the record's line, each checked as a line of its own,
// and those that look like records named.
void EtbChecker::CommentLines(const std::string& continuation) {
  const long taken = std::count(continuation.begin(), continuation.end(), '\n');
  if (taken == 0) return;
  Add(recordLine_, "comment-lines", Severity::kInfo,
      "column 8 ends the line, so the comment goes on over " + Counted(taken, "following line"),
      taken == 1 ? "line " + std::to_string(recordLine_ + 1) + " belongs to this record"
                 : "lines " + std::to_string(recordLine_ + 1) + " to " +
                       std::to_string(recordLine_ + taken) + " belong to this record");
  for (long i = 0; i < taken; ++i) {
    raw_->Next();
    ++line_;
    CheckRawLine(raw_->Line());
    const int separators = CountSeparators(raw_->Line().substr(0, raw_->Line().find('\0')));
    if (separators >= etb::kRecordSeparators) {
      Add(line_, "swallowed-record", Severity::kWarning,
          "a line with " + std::to_string(separators) + " separators is taken into the comment",
          "no record of its own: its first column joins the comment of line " +
              std::to_string(recordLine_) + ", its next ones become columns 9 and on");
    }
  }
}

void EtbChecker::CheckNumber(const etb::EtbText& text, int value, const char* column) {
  if (text.absent()) return;
  const NumberForm form = FormOfNumber(text.data, text.size);
  if (form == NumberForm::kPlain) return;
  const bool overflow = form == NumberForm::kOverflow;
  Add(line_, overflow ? "number-overflow" : "number-form", Severity::kWarning,
      std::string(column) + " " + Shown(text.data, text.size) +
          (overflow ? " does not fit an int" : " is not a plain decimal number"),
      "read as " + std::to_string(value));
}

// Column 8 of four bytes or more carries a comment from its third byte: meant so when it is a
// digit, a blank and the comment; otherwise the number or the comment is not what was written.
void EtbChecker::CheckAccessState(const etb::EtbRecord& record) {
  const etb::EtbText& text = record.accessStateText;
  if (text.size < etb::kShortestCommentColumn) {
    CheckNumber(text, record.accessState, "column 8 (access state)");
    return;
  }
  if (std::isdigit(static_cast<unsigned char>(text.data[0])) && text.data[1] == ' ') return;
  Add(line_, "access-state-comment", Severity::kWarning,
      "column 8 " + Shown(text.data, text.size) + " has " + std::to_string(text.size) +
          " bytes, so a comment begins at its third byte",
      "access state " + std::to_string(record.accessState) + ", comment " +
          Shown(text.data + etb::kCommentOffset, text.size - etb::kCommentOffset));
}

const char* EtbChecker::Unconverted() const { return convert_ ? nullptr : kNoProduct; }

void EtbChecker::CheckText(const etb::EtbText& text, const char* column, const char* unconverted) {
  if (text.absent()) return;
  if (unconverted != nullptr && !IsValidUtf8(text.data, text.size)) {
    Add(line_, "not-utf8", Severity::kWarning, std::string(column) + " is not valid UTF-8",
        unconverted);
  }
  if (HasSeparatorFragment(text.data, text.size)) {
    Add(line_, "separator-fragment", Severity::kWarning,
        std::string(column) + " " + Shown(text.data, text.size) + " holds part of a separator",
        "it is text; no column ends there");
  }
}

void EtbChecker::CheckTail(const etb::EtbRecord& record) {
  CheckText(record.extraText1, "column 10 (extra text 1)", Unconverted());
  CheckText(record.extraText2, "column 11 (extra text 2)", Unconverted());
  if (!record.columnsLeft) return;
  if (record.extraText1.absent()) {
    Add(line_, "hidden-extra-text", Severity::kWarning, "column 10 is empty and columns follow it",
        "column 11 is not read: the entry has no extra texts");
  } else {
    Add(line_, "extra-columns", Severity::kWarning, "more than 11 columns",
        "everything after column 11 is ignored");
  }
}

// The records the host turns into something else than a plain entry.
void EtbChecker::CheckKind(const etb::EtbRecord& record) {
  const int type = record.annotationType;
  if (etb::NamesZndBeside(type, EndsWith(record.file))) {
    const std::string file = Text(record.file);
    Add(line_, "ast-rewrite", Severity::kInfo, "type 15 record for " + Shown(file),
        "the entry's file is " + Shown(file.substr(0, file.size() - 4) + etb::kZndExtension));
  } else if (etb::IsViewStateRecord(type, EndsWith(record.file))) {
    Add(line_, "view-state", Severity::kInfo,
        "view-state record " + Shown(Text(record.name)) + " for " + Shown(Text(record.file)),
        "a view-state source on the structure's root node, no table entry");
  }
}

}  // namespace etbtool
