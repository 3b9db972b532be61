#pragma once

#include <string>
#include <vector>

#include "ImportedEntry.h"
#include "ProgressLine.h"

namespace etbtool {

struct CsvOptions {
  char delimiter = ',';
  bool escapedFormulas = false;  // texts as export --escape-formulas writes them
  TableCount* count = nullptr;   // rows and bytes read so far, for a progress line
};

// The entries of a CSV table (a header row of entry field names, in any order) or of the JSON
// document of `load --json` (or its "entries" array alone, as jq '.entries' gives it); what
// cannot be read or carried goes to `errors`, every problem once.
std::vector<ImportedEntry> ReadCsvEntries(const std::string& bytes,
                                          std::vector<ImportError>& errors,
                                          const CsvOptions& options = {});
std::vector<ImportedEntry> ReadJsonEntries(const std::string& bytes,
                                           std::vector<ImportError>& errors);

}  // namespace etbtool
