#pragma once

#include "du/SmartPtr.h"
#include "znk/Structure.h"

namespace etb {

// Whether a table's texts are kept in the system's character set: true when its product was
// loaded from an "ed" or "edz" file (extension compared without regard to case). Asks the
// structure for its file source; a missing structure never converts.
bool ProductUsesSystemEncoding(const du::SmartPtr<znk::Structure>& structure);

}  // namespace etb
