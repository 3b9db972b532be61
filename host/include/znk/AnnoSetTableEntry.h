#pragma once

#include "dg/Color.h"
#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/Symbol.h"

namespace znk {

// One entry of an annotation set table. Loaders and savers read and write the public members
// directly, so their order is part of the host's binary interface.
class ZN_HOST_API AnnoSetTableEntry : public du::RefCounted {
 public:
  AnnoSetTableEntry() noexcept;
  AnnoSetTableEntry(const AnnoSetTableEntry&) = delete;
  AnnoSetTableEntry& operator=(const AnnoSetTableEntry&) = delete;
  ~AnnoSetTableEntry() override;

  du::Symbol file;
  du::Symbol sessionAstFile;
  du::Symbol extraText1;
  du::Symbol extraText2;
  int annotationType = 0;
  int accessState = 0;  // 2: protected
  int secondState = 0;
  du::Symbol comment;
  bool excludeFromPartialSave = false;
  bool isPreference = false;
  bool hasColor = false;
  dg::Color color;
};

}  // namespace znk
