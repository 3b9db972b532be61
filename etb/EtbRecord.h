#pragma once

#include <cstddef>
#include <string>

namespace etb {

// A text column: its bytes, or absent. Read from a line, the bytes end in a NUL.
struct EtbText {
  const char* data = nullptr;
  std::size_t size = 0;

  bool absent() const { return data == nullptr; }
  bool empty() const { return size == 0; }
};

// One ETB record: the columns as the format defines them, before anything is made of them.
struct EtbRecord {
  int componentId = 0;  // column 1
  EtbText componentName;
  EtbText propertyName;
  EtbText propertyValue;
  EtbText name;  // column 5; a name and its path when written
  EtbText file;  // column 6
  int annotationType = 0;
  int accessState = 0;       // column 8, its leading number
  std::string comment;       // column 8 from its third byte, with the lines it goes on over
  int secondState = 0;       // column 9
  EtbText extraText1;        // column 10, only when not empty
  EtbText extraText2;        // column 11, only when not empty and behind an extra text 1
  int separators = 0;        // found over all the record's lines; a record needs six
  bool columnsLeft = false;  // text behind the last column read, which the record ignores

  // The number columns as they stand in their line, for a reader that looks at their form. Like
  // the texts they point into the line: valid until the next line is read.
  EtbText componentIdText;
  EtbText annotationTypeText;
  EtbText accessStateText;  // all of column 8, comment included
  EtbText secondStateText;
};

}  // namespace etb
