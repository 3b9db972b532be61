#pragma once

#include "du/HostApi.h"
#include "du/Symbol.h"

namespace du {

// The address the host fetches a file source from: a URL ("scheme://...") passes unchanged, a
// local path becomes a file:// URL of its absolute form. `base` is reserved (pass
// Symbol::EMPTY). An unset or empty source gives an unset symbol.
ZN_HOST_API Symbol GetURLForFileSource(const Symbol& source, const Symbol& base);

}  // namespace du
