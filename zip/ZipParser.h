#pragma once

#include "du/SmartPtr.h"
#include "etbplugin_export.h"
#include "znk/AnnoSetTable.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace zip {

// Loader of zip session archives ("loader", "annotation", "zip"): fetches the archive the
// structure names as its session, unpacks its ".etb" and ".ast" members into the host's
// temporary folder and tells the structure where they are. The ETB loader reads them later.
class ETBPLUGIN_EXPORT ZipParser : public znloader::AnnotationParser {
 public:
  ZipParser();
  ZipParser(const ZipParser& other);
  ZipParser& operator=(const ZipParser& other);
  ~ZipParser() override;

  bool OnProgress(unsigned long long requestId, unsigned char progress) override;
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override;
  void LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& table,
                        znk::AsyncEvent* event) override;

 private:
  du::SmartPtr<znk::AnnoSetTable> table;
  znk::AsyncEvent* event;
};

}  // namespace zip
