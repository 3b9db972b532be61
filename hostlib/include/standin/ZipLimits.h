#pragma once

#include <cstdint>

namespace standin {

// The largest member du::ZipReader extracts, in bytes (1 GiB unless changed).
void SetZipMemberSizeLimit(std::uint64_t bytes);
std::uint64_t GetZipMemberSizeLimit();

// The most bytes one du::ZipReader extracts over all its members (4 GiB unless changed).
void SetZipExtractBudget(std::uint64_t bytes);
std::uint64_t GetZipExtractBudget();

// The most bytes a member over 1 MiB may unpack to per compressed byte (1000 unless changed).
void SetZipCompressionRatioLimit(std::uint64_t ratio);
std::uint64_t GetZipCompressionRatioLimit();

// The free space du::ZipReader leaves on the destination's file system, in bytes (256 MiB unless
// changed).
void SetZipFreeSpaceMargin(std::uint64_t bytes);
std::uint64_t GetZipFreeSpaceMargin();

}  // namespace standin
