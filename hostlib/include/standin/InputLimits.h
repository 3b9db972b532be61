#pragma once

#include <cstddef>
#include <cstdint>

// Limits on input that is small on the way in and huge inside. A refused input is reported the
// way the host reports a broken one, so the loaders' own reactions apply.
namespace standin {

// The longest line du::LineReader hands out, in bytes without its line feed (256 MiB unless
// changed). A longer line is traced with its number and refused like a read error: ReadLine
// throws a bool, and no more than the limit is ever held.
void SetLineLengthLimit(std::size_t bytes);
std::size_t GetLineLengthLimit();

// The largest preferences store file read, in bytes (256 MiB unless changed). A larger one is
// refused as a corrupt one is (UsePreferenceStore): the world stays empty and the file is never
// overwritten.
void SetPreferenceStoreSizeLimit(std::uint64_t bytes);
std::uint64_t GetPreferenceStoreSizeLimit();

}  // namespace standin
