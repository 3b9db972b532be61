#pragma once

#include <string>

#include "du/SmartPtr.h"
#include "etbplugin_export.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Writer of ETB annotation files ("saver", "annotation", "etb"). It writes a table's file
// entries (those that are no preference entries) through a backup stream, so a failed save
// leaves the target as it was.
class ETBPLUGIN_EXPORT EtbWriter : public znloader::AnnotationParser {
 public:
  EtbWriter();
  EtbWriter(const EtbWriter& other);
  EtbWriter& operator=(const EtbWriter& other);
  ~EtbWriter() override;

  bool OnProgress(unsigned long long requestId, unsigned char progress) override;
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override;

  // addFlag true: every file entry, then `entry` last. addFlag false: the file entries other
  // than `entry` and those excluded from partial saves, and none at all without an `entry`.
  // An empty file name saves nothing and succeeds.
  bool SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                           const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                           const std::string& fileName, bool addFlag,
                           bool convertEncoding) override;
  // The file entries not excluded from partial saves, `entry` marked with "2" in column 9 when
  // `markEntry` and every other entry with "0".
  bool SaveDefaultAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                  const du::SmartPtr<znk::AnnoSetTableEntry>& entry, bool markEntry,
                                  const std::string& fileName) override;
};

}  // namespace etb
