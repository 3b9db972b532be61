#pragma once

#include <cstdio>

#include "AnnotationLoad.h"
#include "ProgressLine.h"

namespace etbtool {

// Writes the document of `load --json` (the same bytes) to `out` an entry at a time, counting
// them in `count`; answers how many of its texts were not valid UTF-8 (written with U+FFFD).
std::size_t WriteJsonTable(std::FILE* out, const LoadedTable& loaded, TableCount& count);

}  // namespace etbtool
