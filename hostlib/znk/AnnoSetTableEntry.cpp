#include "znk/AnnoSetTableEntry.h"

namespace znk {

AnnoSetTableEntry::AnnoSetTableEntry(const AnnoSetTableEntryData& data) noexcept
    : componentId_(data.componentId),
      componentName_(data.componentName),
      propertyName_(data.propertyName),
      propertyValue_(data.propertyValue),
      name_(data.name) {}

AnnoSetTableEntry::~AnnoSetTableEntry() = default;

bool AnnoSetTableEntry::Create(du::SmartPtr<AnnoSetTableEntry>& out,
                               const AnnoSetTableEntryData& data, const du::Symbol& file,
                               int accessState, int secondState, bool isPreference) {
  auto* entry = new AnnoSetTableEntry(data);  // pooled: null when the pool is dry
  if (entry != nullptr) {
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
