#pragma once

#include <cstddef>
#include <deque>

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/Structure.h"

namespace znk {

// A host annotation set table: the ordered entries of one product structure.
class ZN_HOST_API AnnoSetTable : public du::RefCounted {
 public:
  explicit AnnoSetTable(const du::SmartPtr<Structure>& structure = du::SmartPtr<Structure>());
  AnnoSetTable(const AnnoSetTable&) = delete;
  AnnoSetTable& operator=(const AnnoSetTable&) = delete;
  ~AnnoSetTable() override;

  // May be empty: a table need not belong to a structure.
  du::SmartPtr<Structure> GetStructure() const;
  bool IsEmpty() const noexcept;
  // Appends the entry (a null one is ignored); answers the number of entries.
  int AddEntry(du::SmartPtr<AnnoSetTableEntry> entry);
  void GetNumEntries(unsigned int& count) const noexcept;
  // Empty when `index` is out of range.
  du::SmartPtr<AnnoSetTableEntry> GetEntry(unsigned int index) const;

 private:
  void FetchTextsAhead(std::size_t index) const noexcept;

  du::SmartPtr<Structure> structure_;
  // A deque: growing never copies the handles (each copy would take and give a reference).
  std::deque<du::SmartPtr<AnnoSetTableEntry>> entries_;
};

}  // namespace znk
