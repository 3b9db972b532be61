#pragma once

#include <string>

namespace etbtool {

// The bundled sample ETB file of the tour (samples/demo.etb, built in).
std::string DemoEtbSample();

}  // namespace etbtool
