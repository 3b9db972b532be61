#include "znk/AnnoSetTable.h"

#include <atomic>
#include <cstdint>

#include "standin/Progress.h"
#include "standin/Symbols.h"

namespace {

std::atomic<std::uint64_t> entriesHandedOut{0};

// Saves and teardowns walk a table in order and touch every text of every entry, and texts lie
// anywhere in memory: each touch was a cache miss the walk waited for. Fetching the texts of
// the entry this far ahead lets the misses overlap.
constexpr std::size_t kFetchAhead = 8;

}  // namespace

std::uint64_t standin::EntriesHandedOut() {
  return entriesHandedOut.load(std::memory_order_relaxed);
}

namespace znk {

AnnoSetTable::AnnoSetTable(const du::SmartPtr<Structure>& structure) : structure_(structure) {}

AnnoSetTable::~AnnoSetTable() {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    FetchTextsAhead(i);
    entries_[i].Reset();
  }
}

void AnnoSetTable::FetchTextsAhead(std::size_t index) const noexcept {
  if (index + kFetchAhead >= entries_.size()) return;
  const AnnoSetTableEntry* entry = entries_[index + kFetchAhead].get();
  if (entry == nullptr) return;
  const du::Symbol* const texts[] = {
      &entry->componentName_, &entry->propertyName_, &entry->propertyValue_,
      &entry->name_,          &entry->file,          &entry->sessionAstFile,
      &entry->extraText1,     &entry->extraText2,    &entry->comment};
  standin::PrefetchTexts(texts, sizeof texts / sizeof texts[0]);
}

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
  if (index >= entries_.size()) return du::SmartPtr<AnnoSetTableEntry>();
  FetchTextsAhead(index);
  return entries_[index];
}

}  // namespace znk
