#include "etb/PreferencesParser.h"

#include <string>

#include "dg/Color.h"
#include "etb/FormatConstants.h"
#include "etb/PreferenceListLayout.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/AnnoSetTableEntryData.h"
#include "znk/Preferences.h"
#include "znk/World.h"

namespace etb {

PreferencesParser::PreferencesParser() = default;

PreferencesParser::PreferencesParser(const PreferencesParser& other) = default;

PreferencesParser& PreferencesParser::operator=(const PreferencesParser& other) = default;

PreferencesParser::~PreferencesParser() = default;

bool PreferencesParser::OnProgress(unsigned long long /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void PreferencesParser::OnComplete(unsigned long long /*requestId*/,
                                   znk::BaseAsyncEvent::EventStatus /*status*/) {}

namespace {

// The loader's own copy of the list's name and keys.
const preferences::ListLayout kLayout;

// One set of the list as a new preference entry; its access state is 2 when the list, the set
// or any value but the colour is protected.
du::SmartPtr<znk::AnnoSetTableEntry> EntryFromSet(const znk::Preferences& set, bool listProtected) {
  bool isProtected = listProtected || set.isProtected;
  bool valueProtected = false;
  std::string propertyName;
  std::string propertyValue;
  std::string name;
  std::string file;
  std::string comment;
  int annotationType = 0;
  for (const auto& [key, text] :
       {std::pair<const du::Symbol*, std::string*>{&kLayout.propertyNameKey, &propertyName},
        {&kLayout.propertyValueKey, &propertyValue},
        {&kLayout.nameKey, &name},
        {&kLayout.fileKey, &file}}) {
    if (set.GetString(*key, *text, valueProtected) && valueProtected) isProtected = true;
  }
  if (set.GetInt(kLayout.annotationTypeKey, annotationType, valueProtected) && valueProtected) {
    isProtected = true;
  }
  if (set.GetString(kLayout.commentKey, comment, valueProtected) && valueProtected)
    isProtected = true;

  znk::AnnoSetTableEntryData data;
  data.componentId = 0;
  data.componentName = du::Symbol::EMPTY;
  data.propertyName = propertyName;
  data.propertyValue = propertyValue;
  data.name = name;
  data.reservedText = du::Symbol("");
  data.annotationType = annotationType;
  du::SmartPtr<znk::AnnoSetTableEntry> entry;
  znk::AnnoSetTableEntry::Create(entry, data, du::Symbol(file),
                                 isProtected ? kProtectedAccessState : 0, 0, true);
  if (entry.IsNull()) return entry;  // the host had no memory for it: the set is skipped
  entry->comment = comment;

  int color = 0;
  if (set.GetInt(kLayout.colorKey, color, valueProtected)) {
    entry->color = dg::Color(static_cast<unsigned int>(color), true);
    entry->hasColor = true;
  }
  return entry;
}

}  // namespace

void PreferencesParser::LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                            znk::AsyncEvent* event) {
  du::SmartPtr<znk::Preferences> preferences = znk::World::GetWorld()->GetPreferences();
  bool listProtected = false;
  const du::SmartPtr<znk::PreferenceList> list =
      preferences->GetPreferenceList(kLayout.listName, false, listProtected, false);
  if (!list.IsNull() && !table.IsNull()) {
    const unsigned int count = list->GetNumPreferences(false);
    for (unsigned int i = 0; i < count; ++i) {
      const du::SmartPtr<znk::Preferences> set = list->GetPreferences(i, false);
      if (set.IsNull()) continue;
      const du::SmartPtr<znk::AnnoSetTableEntry> entry = EntryFromSet(*set, listProtected);
      if (!entry.IsNull()) table->AddEntry(entry);
    }
  }
  if (event != nullptr) event->ReportSuccess();
}

}  // namespace etb
