#pragma once

#include "dg/Color.h"
#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"
#include "znk/AnnoSetTableEntryData.h"
#include "znk/MemoryPoolAllocated.h"

namespace znk {

// One entry of an annotation set table, pooled like other host objects. Loaders and savers read
// and write the public members directly, so their order is part of the host's binary interface.
class ZN_HOST_API AnnoSetTableEntry : public MemoryPoolAllocated, public du::RefCounted {
 public:
  // A new entry from `data`, with the given file, states and preference mark; its colour is
  // unset (hasColor false). False, with `out` emptied, when the pool has no memory.
  static bool Create(du::SmartPtr<AnnoSetTableEntry>& out, const AnnoSetTableEntryData& data,
                     const du::Symbol& file, int accessState, int secondState, bool isPreference);

  AnnoSetTableEntry(const AnnoSetTableEntry&) = delete;
  AnnoSetTableEntry& operator=(const AnnoSetTableEntry&) = delete;
  ~AnnoSetTableEntry() override;

  // The getters answer symbols by value: a host may make a text on demand (GetNameAndPath()
  // joins the component path), so a caller keeps what it reads alive for as long as it uses it.
  int GetCompId() const noexcept;
  du::Symbol GetCompName() const;
  du::Symbol GetPropName() const;
  // The property value; this host keeps no value lists, so there is nothing to combine.
  du::Symbol GetCombinedPropValueAndListString() const;
  du::Symbol GetName() const;
  // The name; this host's entries carry no component path.
  du::Symbol GetNameAndPath() const;

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

 private:
  friend class AnnoSetTable;  // fetches its entries' texts ahead of a walk over them

  explicit AnnoSetTableEntry(const AnnoSetTableEntryData& data) noexcept;

  int componentId_;
  du::Symbol componentName_;
  du::Symbol propertyName_;
  du::Symbol propertyValue_;
  du::Symbol name_;
};

}  // namespace znk
