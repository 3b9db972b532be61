#include "znk/AnnoSetTableEntry.h"

namespace znk {

AnnoSetTableEntry::AnnoSetTableEntry() noexcept = default;

AnnoSetTableEntry::~AnnoSetTableEntry() = default;

}  // namespace znk
