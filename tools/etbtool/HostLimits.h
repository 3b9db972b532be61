#pragma once

#include <ostream>

namespace etbtool {

// Sets the host's input limits from the environment (ETBTOOL_MAX_LINE, ETBTOOL_MAX_STORE,
// ETBTOOL_MAX_EXTRACT for the bytes one zip archive may unpack to): a number of bytes, optionally
// followed by K, M or G. False, after saying why on `err`, when a value is not such a size.
bool ApplyHostLimits(std::ostream& err);

}  // namespace etbtool
