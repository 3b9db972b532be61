#include "etb/EtbWriter.h"

namespace etb {

EtbWriter::EtbWriter() = default;

EtbWriter::EtbWriter(const EtbWriter& other) = default;

EtbWriter& EtbWriter::operator=(const EtbWriter& other) = default;

EtbWriter::~EtbWriter() = default;

bool EtbWriter::OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) { return true; }

void EtbWriter::OnComplete(std::uint64_t /*requestId*/,
                           znk::BaseAsyncEvent::EventStatus /*status*/) {}

}  // namespace etb
