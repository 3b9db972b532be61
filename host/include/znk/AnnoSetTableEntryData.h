#pragma once

#include "du/Symbol.h"

namespace znk {

// What an annotation set table entry is made from (AnnoSetTableEntry::Create).
struct AnnoSetTableEntryData {
  int componentId = 0;
  du::Symbol componentName;
  du::Symbol propertyName;
  du::Symbol propertyValue;
  du::Symbol name;
  du::Symbol reservedText;  // always the empty text
  int annotationType = 0;
};

}  // namespace znk
