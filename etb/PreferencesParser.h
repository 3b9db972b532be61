#pragma once

#include <cstdint>

#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Loader of the preference-backed annotation entries ("loader", "preferences", "etb").
class PreferencesParser : public znloader::AnnotationParser {
 public:
  PreferencesParser();
  PreferencesParser(const PreferencesParser& other);
  PreferencesParser& operator=(const PreferencesParser& other);
  ~PreferencesParser() override;

  bool OnProgress(std::uint64_t requestId, unsigned char progress) override;
  void OnComplete(std::uint64_t requestId, znk::BaseAsyncEvent::EventStatus status) override;
};

}  // namespace etb
