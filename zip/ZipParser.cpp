#include "zip/ZipParser.h"

namespace zip {

ZipParser::ZipParser() : event(nullptr) {}

ZipParser::ZipParser(const ZipParser& other)
    : znloader::AnnotationParser(other), table(other.table), event(other.event) {}

ZipParser& ZipParser::operator=(const ZipParser& other) {
  if (this == &other) return *this;
  znloader::AnnotationParser::operator=(other);
  table = other.table;
  event = other.event;
  return *this;
}

ZipParser::~ZipParser() = default;

bool ZipParser::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) { return true; }

}  // namespace zip
