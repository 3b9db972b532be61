#pragma once

#include <ostream>

#include "AnnotationLoad.h"

namespace etbtool {

// The human form of a load: its outcome, then an aligned table of the entries (long texts cut
// with an ellipsis to the terminal columns they take, line breaks in comments shown as a mark)
// and the view-state sources.
void PrintLoad(std::ostream& out, const LoadedTable& loaded, bool summaryOnly);

// The human form of a session load: both outcomes and the structure's session state.
void PrintSession(std::ostream& out, const LoadedSession& loaded);

}  // namespace etbtool
