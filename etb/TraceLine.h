#pragma once

#include <utility>

#include "dp/ZnTracer.h"

namespace etb {

// Streams the parts of one trace line, each only while the formatter is active: a host that
// does not want the line is never handed its texts.
template <class... Parts>
void TraceLine(dp::TraceFormatter&& line, const Parts&... parts) {
  ((line.IsActive() ? void(line << parts) : void()), ...);
}

}  // namespace etb
