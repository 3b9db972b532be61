#pragma once

#include <cstdint>

#include "du/FileReader.h"
#include "du/SmartPtr.h"
#include "module/Export.h"
#include "znk/AnnoSetTable.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

// Loader of ETB annotation files ("loader", "annotation", "etb").
class ETBPLUGIN_EXPORT Parser : public znloader::AnnotationParser {
 public:
  Parser();
  // A copy shares the table and event but gets a file reader of its own: a reader belongs to
  // exactly one parser.
  Parser(const Parser& other);
  Parser& operator=(const Parser& other);
  ~Parser() override;

  bool OnProgress(std::uint64_t requestId, unsigned char progress) override;

 private:
  du::FileReader* reader;
  du::SmartPtr<znk::AnnoSetTable> table;
  znk::AsyncEvent* event;
  bool sessionState;
};

}  // namespace etb
