#include "znk/AnnoSetTable.h"

#include <atomic>
#include <cstdint>

#include "standin/Progress.h"

namespace {

std::atomic<std::uint64_t> entriesHandedOut{0};

}  // namespace

std::uint64_t standin::EntriesHandedOut() {
  return entriesHandedOut.load(std::memory_order_relaxed);
}

namespace znk {

AnnoSetTable::AnnoSetTable(const du::SmartPtr<Structure>& structure) : structure_(structure) {}

AnnoSetTable::~AnnoSetTable() = default;

du::SmartPtr<Structure> AnnoSetTable::GetStructure() const { return structure_; }

bool AnnoSetTable::IsEmpty() const noexcept { return entries_.empty(); }

// NOLINTNEXTLINE(performance-unnecessary-value-param): the host's interface takes it by value
int AnnoSetTable::AddEntry(du::SmartPtr<AnnoSetTableEntry> entry) {
  if (!entry.IsNull()) entries_.push_back(entry);
  return int(entries_.size());
}

void AnnoSetTable::GetNumEntries(unsigned int& count) const noexcept {
  count = static_cast<unsigned int>(entries_.size());
}

du::SmartPtr<AnnoSetTableEntry> AnnoSetTable::GetEntry(unsigned int index) const {
  entriesHandedOut.store(entriesHandedOut.load(std::memory_order_relaxed) + 1,
                         std::memory_order_relaxed);
  return index < entries_.size() ? entries_[index] : du::SmartPtr<AnnoSetTableEntry>();
}

}  // namespace znk
