#pragma once

#include <string>

namespace zip {

// The archive is read under a ".zip" name: when the text after the last '.' of the delivered
// path (wherever that dot is) is not exactly ".zip", the file is moved to the path before that
// dot plus ".zip", and that path is answered. A path without a dot is read where it is.
std::string ArchivePathFor(const std::string& delivered);

}  // namespace zip
