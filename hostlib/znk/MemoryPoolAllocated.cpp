#include "znk/MemoryPoolAllocated.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "Chunks.h"
#include "SpinLock.h"
#include "standin/Pool.h"

namespace {

// Each block carries its size and a mark, so a release with the wrong pointer or the wrong size
// (a bad cast somewhere up the line) stops the host at once instead of corrupting the pool.
struct alignas(16) BlockHeader {
  std::size_t size;
  std::uint64_t mark;
};
constexpr std::uint64_t kLiveMark = 0x5a4e4b504f4f4c31;  // "ZNKPOOL1"
constexpr std::uint64_t kFreedMark = 0xdeadbeefdeadbeef;

// Small blocks come from the host's chunks (Chunks.h), and a released block is kept for the next
// object of its size class.
constexpr std::size_t kGranule = sizeof(BlockHeader);
constexpr std::size_t kLargestPooled = 512;  // header included; larger blocks come from malloc
constexpr std::size_t kClasses = kLargestPooled / kGranule;

// A released block: the header keeps its freed mark, so a second release is still caught.
struct FreeBlock {
  BlockHeader header;
  FreeBlock* next;
};

struct Counters {
  long liveObjects = 0;
  long liveBytes = 0;
  long allocations = 0;
};

struct SizeClass {
  standin::SpinLock lock;
  FreeBlock* released = nullptr;  // most recently released first
  char* fresh = nullptr;          // the untouched rest of the newest chunk
  char* freshEnd = nullptr;
  Counters counters;  // of every block of this class
};

SizeClass sizeClasses[kClasses + 1];  // the last one stands for the blocks from malloc
std::atomic<long> failedAllocations{0};
std::atomic<bool> failNext{false};

std::size_t BlockBytes(std::size_t size) {
  return sizeof(BlockHeader) +
         (std::max<std::size_t>(size, 1) + kGranule - 1) / kGranule * kGranule;
}

SizeClass& ClassOf(std::size_t blockBytes) {
#ifdef STANDIN_BLOCKS_FROM_MALLOC
  (void)blockBytes;
  return sizeClasses[kClasses];
#else
  return blockBytes <= kLargestPooled ? sizeClasses[blockBytes / kGranule - 1]
                                      : sizeClasses[kClasses];
#endif
}

bool IsMallocClass(const SizeClass& sizeClass) { return &sizeClass == &sizeClasses[kClasses]; }

// A block of `blockBytes` from a pooled class, or null. Called with the class locked.
void* TakeBlock(SizeClass& sizeClass, std::size_t blockBytes) {
  if (sizeClass.released != nullptr) {
    FreeBlock* block = sizeClass.released;
    sizeClass.released = block->next;
    return block;
  }
  if (std::size_t(sizeClass.freshEnd - sizeClass.fresh) < blockBytes) {
    char* chunk = standin::NewChunk();
    if (chunk == nullptr) return nullptr;
    // The rest of the old chunk is too small for this class and stays unused.
    sizeClass.fresh = chunk;
    sizeClass.freshEnd = chunk + standin::kChunkBytes;
  }
  void* block = sizeClass.fresh;
  sizeClass.fresh += blockBytes;
  return block;
}

}  // namespace

namespace znk {

MemoryPoolAllocated::~MemoryPoolAllocated() = default;

void* MemoryPoolAllocated::operator new(std::size_t size) noexcept {
  const std::size_t blockBytes = BlockBytes(size);
  SizeClass& sizeClass = ClassOf(blockBytes);
  void* raw = nullptr;
  if (!(failNext.load(std::memory_order_relaxed) && failNext.exchange(false))) {
    // malloc has locks of its own; the class lock only guards the counters then.
    if (IsMallocClass(sizeClass)) raw = std::malloc(blockBytes);
    std::lock_guard<standin::SpinLock> lock(sizeClass.lock);
    if (!IsMallocClass(sizeClass)) raw = TakeBlock(sizeClass, blockBytes);
    if (raw != nullptr) {
      ++sizeClass.counters.liveObjects;
      sizeClass.counters.liveBytes += long(size);
      ++sizeClass.counters.allocations;
    }
  }
  if (raw == nullptr) {
    failedAllocations.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  header->mark = kLiveMark;
  return header + 1;
}

void MemoryPoolAllocated::operator delete(void* object, std::size_t size) noexcept {
  if (object == nullptr) return;
  BlockHeader* header = static_cast<BlockHeader*>(object) - 1;
  if (header->mark != kLiveMark || header->size != size) {
    std::fprintf(stderr, "memory pool: bad release of %p (size %zu): not a live pool block\n",
                 object, size);
    std::abort();
  }
  header->mark = kFreedMark;
  SizeClass& sizeClass = ClassOf(BlockBytes(size));
  if (IsMallocClass(sizeClass)) std::free(header);
  std::lock_guard<standin::SpinLock> lock(sizeClass.lock);
  --sizeClass.counters.liveObjects;
  sizeClass.counters.liveBytes -= long(size);
  if (IsMallocClass(sizeClass)) return;
  auto* block = reinterpret_cast<FreeBlock*>(header);
  block->next = sizeClass.released;
  sizeClass.released = block;
}

}  // namespace znk

standin::PoolCounters standin::GetPoolCounters() {
  PoolCounters total{0, 0, 0, failedAllocations.load()};
  for (SizeClass& sizeClass : sizeClasses) {
    std::lock_guard<standin::SpinLock> lock(sizeClass.lock);
    total.liveObjects += sizeClass.counters.liveObjects;
    total.liveBytes += sizeClass.counters.liveBytes;
    total.allocations += sizeClass.counters.allocations;
  }
  return total;
}

void standin::FailNextPoolAllocation() { failNext.store(true); }
