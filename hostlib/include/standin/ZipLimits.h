#pragma once

#include <cstdint>

namespace standin {

// The largest member du::ZipReader extracts, in bytes (1 GiB unless changed).
void SetZipMemberSizeLimit(std::uint64_t bytes);
std::uint64_t GetZipMemberSizeLimit();

}  // namespace standin
