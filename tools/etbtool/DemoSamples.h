#pragma once

#include <string>

namespace etbtool {

// The tour's bundled samples, built in: samples/demo.etb and samples/session.zip.
std::string DemoEtbSample();
std::string DemoSessionArchive();

}  // namespace etbtool
