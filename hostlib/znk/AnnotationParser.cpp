#include "znloader/AnnotationParser.h"

// The defaults that every annotation parser inherits: load operations do nothing, queries
// answer false or 0.
namespace znloader {

AnnotationParser::~AnnotationParser() = default;

void AnnotationParser::ReservedAction1() {}

void AnnotationParser::ReservedAction2() {}

void AnnotationParser::LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& /*table*/,
                                           znk::AsyncEvent* /*event*/) {}

void AnnotationParser::LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& /*table*/,
                                        znk::AsyncEvent* /*event*/) {}

void AnnotationParser::ReservedAction3() {}

bool AnnotationParser::ReservedQuery1() { return false; }

bool AnnotationParser::SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& /*table*/,
                                           const du::SmartPtr<znk::AnnoSetTableEntry>& /*entry*/,
                                           const std::string& /*fileName*/, bool /*addFlag*/,
                                           bool /*convertEncoding*/) {
  return false;
}

bool AnnotationParser::SaveDefaultAnnotationTable(
    const du::SmartPtr<znk::AnnoSetTable>& /*table*/,
    const du::SmartPtr<znk::AnnoSetTableEntry>& /*entry*/, bool /*markEntry*/,
    const std::string& /*fileName*/) {
  return false;
}

bool AnnotationParser::ReservedQuery2() { return false; }

bool AnnotationParser::ReservedQuery3() { return false; }

int AnnotationParser::ReservedCount() { return 0; }

}  // namespace znloader
