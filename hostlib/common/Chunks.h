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

// Loads make host objects and texts by the million: small blocks are cut from chunks of this
// size, without a block header of malloc's. The chunks ask nothing of the system's page size:
// where huge pages are dear to make, asking for them doubled a load.
constexpr std::size_t kChunkBytes = std::size_t{2} << 20;

// New zeroed memory of `bytes` (a multiple of kChunkBytes), aligned to kChunkBytes so that the
// chunk of a block is found from the block's address; null when the system has no memory.
// Never given back.
inline char* NewChunk(std::size_t bytes = kChunkBytes) {
  void* mapped = ::mmap(nullptr, bytes + kChunkBytes, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  char* const start = static_cast<char*>(mapped);
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(start) & (kChunkBytes - 1);
  char* const chunk = misalignment == 0 ? start : start + (kChunkBytes - misalignment);
  char* const end = start + bytes + kChunkBytes;
  if (chunk > start) ::munmap(start, std::size_t(chunk - start));
  if (end > chunk + bytes) ::munmap(chunk + bytes, std::size_t(end - chunk) - bytes);
  return chunk;
}

}  // namespace standin
