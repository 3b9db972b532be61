#pragma once

#include <string>
#include <vector>

#include "ScratchDir.h"
#include "du/SmartPtr.h"
#include "standin/TraceCapture.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"

namespace testing_support {

// An entry in one line: id|component|property|value|name|file|type|access|second|comment|x1|x2,
// with "-" for an unset symbol.
std::string Describe(const znk::AnnoSetTableEntry& entry);
std::vector<std::string> DescribeEntries(const znk::AnnoSetTable& table);

// What a test entry is made of; texts left unset stay unset.
struct EntrySpec {
  int componentId = 0;
  du::Symbol componentName, propertyName, propertyValue, name, file;
  int annotationType = 0;
  int accessState = 0;
  int secondState = 0;
  du::Symbol comment, extraText1, extraText2;
  bool isPreference = false;
  bool excludeFromPartialSave = false;
};
du::SmartPtr<znk::AnnoSetTableEntry> MakeEntry(const EntrySpec& spec);

// The outcome of a load as the host's event saw it.
struct LoadOutcome {
  int reports = 0;
  bool success = false;
  std::string message;
  std::vector<standin::TraceLine> traces;
};

// Loads `table` with a new etb::Parser the way a host does (standin::LoadAnnotationTable),
// capturing the trace lines.
LoadOutcome LoadAnnotations(const du::SmartPtr<znk::AnnoSetTable>& table);

}  // namespace testing_support
