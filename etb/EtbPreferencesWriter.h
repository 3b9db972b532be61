#pragma once

#include <cstdint>

#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Writer of the preference-backed annotation entries ("saver", "preferences", "etb").
class EtbPreferencesWriter : public znloader::AnnotationParser {
 public:
  EtbPreferencesWriter();
  EtbPreferencesWriter(const EtbPreferencesWriter& other);
  EtbPreferencesWriter& operator=(const EtbPreferencesWriter& other);
  ~EtbPreferencesWriter() override;

  bool OnProgress(std::uint64_t requestId, unsigned char progress) override;
  void OnComplete(std::uint64_t requestId, znk::BaseAsyncEvent::EventStatus status) override;
};

}  // namespace etb
