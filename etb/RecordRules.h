#pragma once

#include <cstddef>
#include <string>

#include "etb/EtbRecord.h"
#include "etb/FormatConstants.h"

// What a record's columns make of it, once for every reader of the format: the loader, the
// checker that explains it and the importer that refuses what would not read back. A rule that
// looks at the file's name takes `endsWith(suffix)`, a test of the record's file, so each caller
// keeps its own text type; it is asked only when the type already matches.
namespace etb {

// What ends a column, and how many of them a line needs to be a record: columns 1 to 7.
constexpr char kSeparator[] = "<@@>";
constexpr std::size_t kSeparatorLength = sizeof kSeparator - 1;
constexpr int kRecordSeparators = 6;

// Whether a record read has the separators of columns 1 to 7; one that has not is dropped.
inline bool HasAllColumns(const EtbRecord& record) {
  return record.separators >= kRecordSeparators;
}

// Column 8 of this many bytes or more holds a comment from byte kCommentOffset on, whatever
// the bytes before it.
constexpr std::size_t kShortestCommentColumn = 4;
constexpr std::size_t kCommentOffset = 2;

constexpr const char* kViewStateExtension = ".zna";
constexpr const char* kAstExtension = ".ast";
constexpr const char* kZndExtension = ".znd";

constexpr bool IsViewStateType(int annotationType) {
  for (const int type : kViewStateRecordTypes) {
    if (annotationType == type) return true;
  }
  return false;
}

// A record of type 1, 3 or 4 for a ".zna" file is a view-state source, not a table entry.
template <class EndsWith>
bool IsViewStateRecord(int annotationType, EndsWith endsWith) {
  return IsViewStateType(annotationType) && endsWith(kViewStateExtension);
}

// A type-15 record for an ".ast" file names the ".znd" beside it.
template <class EndsWith>
bool NamesZndBeside(int annotationType, EndsWith endsWith) {
  return annotationType == kAstRecordAnnotationType && endsWith(kAstExtension);
}

// Whether `text` ends in the four bytes of `suffix`, case and all.
inline bool EndsWithBytes(const std::string& text, const char* suffix) {
  return text.size() >= 4 && text.compare(text.size() - 4, 4, suffix) == 0;
}

}  // namespace etb
