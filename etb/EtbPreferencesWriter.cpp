#include "etb/EtbPreferencesWriter.h"

#include "etb/FormatConstants.h"
#include "etb/PreferenceListLayout.h"
#include "etb/SaveSelection.h"
#include "znk/World.h"

namespace etb {

namespace {

// The saver's own copy of the list's name and keys.
const preferences::ListLayout kLayout;

}  // namespace

EtbPreferencesWriter::EtbPreferencesWriter() = default;

EtbPreferencesWriter::EtbPreferencesWriter(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter& EtbPreferencesWriter::operator=(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter::~EtbPreferencesWriter() = default;

bool EtbPreferencesWriter::OnProgress(unsigned long long /*requestId*/,
                                      unsigned char /*progress*/) {
  return true;
}

void EtbPreferencesWriter::OnComplete(unsigned long long /*requestId*/,
                                      znk::BaseAsyncEvent::EventStatus /*status*/) {}

bool EtbPreferencesWriter::SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                               const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                               const std::string& /*fileName*/, bool addFlag,
                                               bool /*convertEncoding*/) {
  du::SmartPtr<znk::Preferences> preferences = znk::World::GetWorld()->GetPreferences();
  bool listProtected = false;
  const du::SmartPtr<znk::PreferenceList> list =
      preferences->GetPreferenceList(kLayout.listName, true, listProtected, true);
  if (list.IsNull() || listProtected) return false;

  list->Clear(false, du::Symbol::EMPTY);
  bool written = false;
  unsigned int count = 0;
  if (!table.IsNull()) table->GetNumEntries(count);  // no table: no table entries, no crash
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> candidate = table->GetEntry(i);
    if (candidate.IsNull() || !candidate->isPreference ||
        candidate->accessState == kProtectedAccessState) {
      continue;
    }
    if (!SelectedForSave(candidate, entry, addFlag)) continue;
    WriteEntry(list->AddPreferences(), candidate);
    written = true;
  }
  // The given entry comes last, also when the table holds it too.
  if (addFlag && !entry.IsNull() && entry->isPreference &&
      entry->accessState != kProtectedAccessState) {
    WriteEntry(list->AddPreferences(), entry);
    written = true;
  }
  // Nothing written leaves the emptied list unsaved.
  if (!written) return true;
  znk::World::GetWorld()->SaveAndApplyPreferences();
  return true;
}

void EtbPreferencesWriter::WriteEntry(const du::SmartPtr<znk::Preferences>& set,
                                      const du::SmartPtr<znk::AnnoSetTableEntry>& entry) {
  const std::string propertyName = entry->GetPropName().safe_c_str();
  const std::string propertyValue = entry->GetCombinedPropValueAndListString().safe_c_str();
  const std::string name = entry->GetName().safe_c_str();
  const std::string file = entry->file.safe_c_str();
  const int annotationType = entry->annotationType;
  const std::string comment = entry->comment.safe_c_str();
  set->SetString(kLayout.propertyNameKey, propertyName, false);
  set->SetString(kLayout.propertyValueKey, propertyValue, false);
  set->SetString(kLayout.nameKey, name, false);
  set->SetString(kLayout.fileKey, file, false);
  set->SetInt(kLayout.annotationTypeKey, annotationType, false);
  set->SetString(kLayout.commentKey, comment, false);
  // Every set gets a colour, also for an entry without one; the bits go as an int unchanged.
  set->SetInt(kLayout.colorKey, static_cast<int>(entry->color.GetAsHexUI()), false);
}

}  // namespace etb
