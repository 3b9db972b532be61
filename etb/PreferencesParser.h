#pragma once

#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Loader of the preference-backed annotation entries ("loader", "preferences", "etb"): reads
// the host's list "Global/Annotations/List" into the table at once and always reports success.
class PreferencesParser : public znloader::AnnotationParser {
 public:
  PreferencesParser();
  PreferencesParser(const PreferencesParser& other);
  PreferencesParser& operator=(const PreferencesParser& other);
  ~PreferencesParser() override;

  bool OnProgress(unsigned long long requestId, unsigned char progress) override;
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override;
  void LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                           znk::AsyncEvent* event) override;
};

}  // namespace etb
