#pragma once

#include <string>
#include <typeinfo>

namespace standin {

// The readable (demangled) name of a type, e.g. "etb::Parser".
std::string TypeName(const std::type_info& type);

}  // namespace standin
