#include "etb/EtbPreferencesWriter.h"

namespace etb {

EtbPreferencesWriter::EtbPreferencesWriter() = default;

EtbPreferencesWriter::EtbPreferencesWriter(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter& EtbPreferencesWriter::operator=(const EtbPreferencesWriter& other) = default;

EtbPreferencesWriter::~EtbPreferencesWriter() = default;

bool EtbPreferencesWriter::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void EtbPreferencesWriter::OnComplete(std::uint64_t /*requestId*/,
                                      znk::BaseAsyncEvent::EventStatus /*status*/) {}

}  // namespace etb
