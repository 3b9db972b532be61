#pragma once

#include <cstddef>
#include <cstdint>

// Limits on input that is small on the way in and huge inside. A refused input is reported the
// way the host reports a broken one, so the loaders' own reactions apply.
namespace standin {

// The longest line du::LineReader hands out, in bytes without its line feed (256 MiB unless
// changed). A longer line is traced with its number and refused like a read error: ReadLine
// throws a bool. Its block never grows past what a line of the limit needs.
void SetLineLengthLimit(std::size_t bytes);
std::size_t GetLineLengthLimit();

// The largest preferences store file read, in bytes (256 MiB unless changed). A larger one is
// refused as a corrupt one is (UsePreferenceStore): the world stays empty and the file is never
// overwritten.
void SetPreferenceStoreSizeLimit(std::uint64_t bytes);
std::uint64_t GetPreferenceStoreSizeLimit();

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
