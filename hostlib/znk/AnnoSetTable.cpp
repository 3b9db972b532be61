#include "znk/AnnoSetTable.h"

namespace znk {

AnnoSetTable::AnnoSetTable() noexcept = default;

AnnoSetTable::~AnnoSetTable() = default;

}  // namespace znk
