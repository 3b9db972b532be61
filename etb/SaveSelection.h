#pragma once

#include "du/SmartPtr.h"
#include "znk/AnnoSetTableEntry.h"

namespace etb {

// The rule both savers apply to a table's entries (each saver first keeps only its own kind):
// with `addFlag`, every entry; without it, every entry but `given` and those excluded from
// partial saves, and none at all when no entry is given.
inline bool SelectedForSave(const du::SmartPtr<znk::AnnoSetTableEntry>& candidate,
                            const du::SmartPtr<znk::AnnoSetTableEntry>& given, bool addFlag) {
  return addFlag ||
         (!given.IsNull() && candidate.get() != given.get() && !candidate->excludeFromPartialSave);
}

}  // namespace etb
