#pragma once

#include <cstdint>

#include "du/SmartPtr.h"
#include "module/Export.h"
#include "znk/AnnoSetTable.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace zip {

// Loader of zip session archives ("loader", "annotation", "zip").
class ETBPLUGIN_EXPORT ZipParser : public znloader::AnnotationParser {
 public:
  ZipParser();
  ZipParser(const ZipParser& other);
  ZipParser& operator=(const ZipParser& other);
  ~ZipParser() override;

  bool OnProgress(std::uint64_t requestId, unsigned char progress) override;

 private:
  du::SmartPtr<znk::AnnoSetTable> table;
  znk::AsyncEvent* event;
};

}  // namespace zip
