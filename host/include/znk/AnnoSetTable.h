#pragma once

#include "du/HostApi.h"
#include "du/RefCounted.h"

namespace znk {

// A host annotation set table: the ordered entries of one product structure.
class ZN_HOST_API AnnoSetTable : public du::RefCounted {
 public:
  AnnoSetTable() noexcept;
  AnnoSetTable(const AnnoSetTable&) = delete;
  AnnoSetTable& operator=(const AnnoSetTable&) = delete;
  ~AnnoSetTable() override;
};

}  // namespace znk
