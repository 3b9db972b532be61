#include "etb/Parser.h"

namespace etb {

Parser::Parser() : reader(nullptr), event(nullptr), sessionState(false) {
  reader = new du::FileReader();
}

Parser::Parser(const Parser& other)
    : znloader::AnnotationParser(other),
      reader(new du::FileReader()),
      table(other.table),
      event(other.event),
      sessionState(other.sessionState) {}

Parser& Parser::operator=(const Parser& other) {
  if (this == &other) return *this;
  znloader::AnnotationParser::operator=(other);
  table = other.table;
  event = other.event;
  sessionState = other.sessionState;
  return *this;
}

Parser::~Parser() { delete reader; }

bool Parser::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) { return true; }

}  // namespace etb
