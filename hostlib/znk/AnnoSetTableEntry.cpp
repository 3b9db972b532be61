#include "znk/AnnoSetTableEntry.h"

#include <atomic>
#include <cstdint>

#include "standin/Progress.h"
#include "standin/Symbols.h"

namespace {

std::atomic<bool> freshTexts{false};
std::atomic<std::uint64_t> entriesMade{0};

// What a text getter answers: the entry's own symbol, or under the test switch a new copy.
du::Symbol Answer(const du::Symbol& text) {
  return freshTexts.load(std::memory_order_relaxed) ? standin::UnsharedSymbol(text.c_str()) : text;
}

}  // namespace

void standin::SetFreshEntryTexts(bool on) { freshTexts.store(on); }

std::uint64_t standin::EntriesMade() { return entriesMade.load(std::memory_order_relaxed); }

namespace znk {

AnnoSetTableEntry::AnnoSetTableEntry(const AnnoSetTableEntryData& data) noexcept
    : componentId_(data.componentId),
      componentName_(data.componentName),
      propertyName_(data.propertyName),
      propertyValue_(data.propertyValue),
      name_(data.name) {}

AnnoSetTableEntry::~AnnoSetTableEntry() = default;

int AnnoSetTableEntry::GetCompId() const noexcept { return componentId_; }

du::Symbol AnnoSetTableEntry::GetCompName() const { return Answer(componentName_); }

du::Symbol AnnoSetTableEntry::GetPropName() const { return Answer(propertyName_); }

du::Symbol AnnoSetTableEntry::GetCombinedPropValueAndListString() const {
  return Answer(propertyValue_);
}

du::Symbol AnnoSetTableEntry::GetName() const { return Answer(name_); }

du::Symbol AnnoSetTableEntry::GetNameAndPath() const { return Answer(name_); }

bool AnnoSetTableEntry::Create(du::SmartPtr<AnnoSetTableEntry>& out,
                               const AnnoSetTableEntryData& data, const du::Symbol& file,
                               int accessState, int secondState, bool isPreference) {
  auto* entry = new AnnoSetTableEntry(data);  // pooled: null when the pool is dry
  if (entry != nullptr) {
    entriesMade.store(entriesMade.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    entry->file = file;
    entry->annotationType = data.annotationType;
    entry->accessState = accessState;
    entry->secondState = secondState;
    entry->isPreference = isPreference;
  }
  out = entry;
  return entry != nullptr;
}

}  // namespace znk
