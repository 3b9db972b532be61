#pragma once

#include <cstdint>

#include "module/Export.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Writer of ETB annotation files ("saver", "annotation", "etb").
class ETBPLUGIN_EXPORT EtbWriter : public znloader::AnnotationParser {
 public:
  EtbWriter();
  EtbWriter(const EtbWriter& other);
  EtbWriter& operator=(const EtbWriter& other);
  ~EtbWriter() override;

  bool OnProgress(std::uint64_t requestId, unsigned char progress) override;
  void OnComplete(std::uint64_t requestId, znk::BaseAsyncEvent::EventStatus status) override;
};

}  // namespace etb
