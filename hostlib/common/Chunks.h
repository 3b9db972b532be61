#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

// Sanitizers only see blocks that come from malloc: their builds give every block its own.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define STANDIN_BLOCKS_FROM_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define STANDIN_BLOCKS_FROM_MALLOC 1
#endif
#endif

namespace standin {

// Loads make host objects and texts by the million, and fresh memory is dear: every first touch
// of a page costs a fault. Small blocks therefore come from chunks of this size, which the system
// may back with one huge page each.
constexpr std::size_t kChunkBytes = std::size_t{2} << 20;

// A new chunk aligned to its size, so that the system can back it with a huge page; null when
// the system has no memory. Chunks are never given back.
inline char* NewChunk() {
  void* mapped =
      ::mmap(nullptr, 2 * kChunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  char* const start = static_cast<char*>(mapped);
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(start) & (kChunkBytes - 1);
  char* const chunk = misalignment == 0 ? start : start + (kChunkBytes - misalignment);
  char* const end = start + 2 * kChunkBytes;
  if (chunk > start) ::munmap(start, std::size_t(chunk - start));
  if (end > chunk + kChunkBytes) {
    ::munmap(chunk + kChunkBytes, std::size_t(end - chunk) - kChunkBytes);
  }
  ::madvise(chunk, kChunkBytes, MADV_HUGEPAGE);
  return chunk;
}

}  // namespace standin
