#pragma once

#include <string>

#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/AsyncEvent.h"
#include "znk/Preferences.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Writer of the preference-backed annotation entries ("saver", "preferences", "etb"): rewrites
// the host's list "Global/Annotations/List" from the table's preference entries, selected as the
// ETB saver selects its entries, and has the host save and apply its preferences.
class EtbPreferencesWriter : public znloader::AnnotationParser {
 public:
  EtbPreferencesWriter();
  EtbPreferencesWriter(const EtbPreferencesWriter& other);
  EtbPreferencesWriter& operator=(const EtbPreferencesWriter& other);
  ~EtbPreferencesWriter() override;

  bool OnProgress(unsigned long long requestId, unsigned char progress) override;
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override;
  // False, with the store untouched, when the list cannot be had or is protected.
  bool SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                           const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                           const std::string& fileName, bool addFlag,
                           bool convertEncoding) override;

 private:
  void WriteEntry(const du::SmartPtr<znk::Preferences>& set,
                  const du::SmartPtr<znk::AnnoSetTableEntry>& entry);
};

}  // namespace etb
