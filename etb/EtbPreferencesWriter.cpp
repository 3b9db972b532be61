#include "etb/EtbPreferencesWriter.h"

#include "etb/FormatConstants.h"
#include "etb/PreferenceListLayout.h"
#include "etb/SaveSelection.h"
#include "znk/World.h"

namespace etb {

EtbPreferencesWriter::EtbPreferencesWriter() = default;

EtbPreferencesWriter::EtbPreferencesWriter(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter& EtbPreferencesWriter::operator=(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter::~EtbPreferencesWriter() = default;

bool EtbPreferencesWriter::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void EtbPreferencesWriter::OnComplete(std::uint64_t /*requestId*/,
                                      znk::BaseAsyncEvent::EventStatus /*status*/) {}

bool EtbPreferencesWriter::SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                               const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                               const std::string& /*fileName*/, bool addFlag,
                                               bool /*convertEncoding*/) {
  du::SmartPtr<znk::Preferences> preferences = znk::World::GetWorld()->GetPreferences();
  bool listProtected = false;
  const du::SmartPtr<znk::PreferenceList> list =
      preferences->GetPreferenceList(preferences::kListName, true, listProtected, true);
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
  using namespace preferences;
  const std::string propertyName = entry->GetPropName().safe_c_str();
  const std::string propertyValue = entry->GetCombinedPropValueAndListString().safe_c_str();
  const std::string name = entry->GetName().safe_c_str();
  const std::string file = entry->file.safe_c_str();
  const int annotationType = entry->annotationType;
  const std::string comment = entry->comment.safe_c_str();
  set->SetString(kPropertyNameKey, propertyName, false);
  set->SetString(kPropertyValueKey, propertyValue, false);
  set->SetString(kNameKey, name, false);
  set->SetString(kFileKey, file, false);
  set->SetInt(kAnnotationTypeKey, annotationType, false);
  set->SetString(kCommentKey, comment, false);
  // Every set gets a colour, also for an entry without one; the bits go as an int unchanged.
  set->SetInt(kColorKey, static_cast<int>(entry->color.GetAsHexUI()), false);
}

}  // namespace etb
