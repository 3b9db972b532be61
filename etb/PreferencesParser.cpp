#include "etb/PreferencesParser.h"

namespace etb {

PreferencesParser::PreferencesParser() = default;

PreferencesParser::PreferencesParser(const PreferencesParser& other) = default;

PreferencesParser& PreferencesParser::operator=(const PreferencesParser& other) = default;

PreferencesParser::~PreferencesParser() = default;

bool PreferencesParser::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void PreferencesParser::OnComplete(std::uint64_t /*requestId*/,
                                   znk::BaseAsyncEvent::EventStatus /*status*/) {}

}  // namespace etb
