#pragma once

#include <string>
#include <vector>

#include "ImportedEntry.h"

namespace etbtool {

// The entries of a CSV table (a header row of entry field names, in any order) or of the JSON
// document of `load --json`; what cannot be read or carried goes to `errors`, every problem once.
std::vector<ImportedEntry> ReadCsvEntries(const std::string& bytes,
                                          std::vector<ImportError>& errors);
std::vector<ImportedEntry> ReadJsonEntries(const std::string& bytes,
                                           std::vector<ImportError>& errors);

}  // namespace etbtool
