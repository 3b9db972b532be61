#include "znk/MemoryPoolAllocated.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

#include "Chunks.h"
#include "SpinLock.h"
#include "standin/Pool.h"

namespace {

// A release with the wrong pointer or the wrong size (a bad cast somewhere up the line) stops the
// host at once instead of corrupting the pool. Tables hold a million entries, so a pooled block
// carries nothing but its object: its chunk names its size class, and a released block is
// marked in its first word. Blocks from malloc carry their size and a mark in a header.
constexpr std::uint64_t kLiveMark = 0x5a4e4b504f4f4c31;  // "ZNKPOOL1"
constexpr std::uint64_t kFreedMark = 0xdeadbeefdeadbeef;

struct alignas(16) MallocHeader {
  std::size_t size;
  std::uint64_t mark;
};

// The start of every pool chunk; the blocks follow it.
struct alignas(16) ChunkHeader {
  std::uint64_t mark;
  std::size_t sizeClass;
};

// A released block: its first word keeps the freed mark, so a second release is caught.
struct FreeBlock {
  std::uint64_t mark;
  FreeBlock* next;
};

constexpr std::size_t kGranule = 16;         // the alignment new-expressions expect
constexpr std::size_t kLargestPooled = 512;  // larger blocks come from malloc
constexpr std::size_t kClasses = kLargestPooled / kGranule;

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

std::size_t IndexOf(std::size_t size) {
#ifdef STANDIN_BLOCKS_FROM_MALLOC
  (void)size;
  return kClasses;
#else
  return size <= kLargestPooled ? (std::max<std::size_t>(size, 1) - 1) / kGranule : kClasses;
#endif
}

std::size_t BlockBytes(std::size_t index) { return (index + 1) * kGranule; }

[[noreturn]] void BadRelease(const void* object, std::size_t size) {
  std::fprintf(stderr, "memory pool: bad release of %p (size %zu): not a live pool block\n", object,
               size);
  std::abort();
}

// A block of class `index` from the pool, or null. Called with the class locked.
void* TakeBlock(SizeClass& sizeClass, std::size_t index) {
  if (sizeClass.released != nullptr) {
    FreeBlock* block = sizeClass.released;
    sizeClass.released = block->next;
    return block;
  }
  const std::size_t blockBytes = BlockBytes(index);
  if (std::size_t(sizeClass.freshEnd - sizeClass.fresh) < blockBytes) {
    char* chunk = standin::NewChunk();
    if (chunk == nullptr) return nullptr;
    new (chunk) ChunkHeader{kLiveMark, index};
    // The rest of the old chunk is too small for this class and stays unused.
    sizeClass.fresh = chunk + sizeof(ChunkHeader);
    sizeClass.freshEnd = chunk + standin::kChunkBytes;
  }
  void* block = sizeClass.fresh;
  sizeClass.fresh += blockBytes;
  return block;
}

void* TakeFromMalloc(std::size_t size) {
  auto* header = static_cast<MallocHeader*>(std::malloc(sizeof(MallocHeader) + size));
  if (header == nullptr) return nullptr;
  *header = {size, kLiveMark};
  return header + 1;
}

void GiveToMalloc(void* object, std::size_t size) {
  MallocHeader* header = static_cast<MallocHeader*>(object) - 1;
  if (header->mark != kLiveMark || header->size != size) BadRelease(object, size);
  header->mark = kFreedMark;
  std::free(header);
}

// Checks that `object` is a live block of class `index` and marks it released.
FreeBlock* Released(void* object, std::size_t size, std::size_t index) {
  const char* const at = static_cast<const char*>(object);
  const auto* chunk = reinterpret_cast<const ChunkHeader*>(
      at - (reinterpret_cast<std::uintptr_t>(at) & (standin::kChunkBytes - 1)));
  auto* block = static_cast<FreeBlock*>(object);
  if (chunk->mark != kLiveMark || chunk->sizeClass != index || block->mark == kFreedMark) {
    BadRelease(object, size);
  }
  block->mark = kFreedMark;
  return block;
}

}  // namespace

namespace znk {

MemoryPoolAllocated::~MemoryPoolAllocated() = default;

void* MemoryPoolAllocated::operator new(std::size_t size) noexcept {
  const std::size_t index = IndexOf(size);
  SizeClass& sizeClass = sizeClasses[index];
  void* block = nullptr;
  if (!(failNext.load(std::memory_order_relaxed) && failNext.exchange(false))) {
    // malloc has locks of its own; the class lock only guards the counters then.
    if (index == kClasses) block = TakeFromMalloc(size);
    std::lock_guard<standin::SpinLock> lock(sizeClass.lock);
    if (index != kClasses) block = TakeBlock(sizeClass, index);
    if (block != nullptr) {
      ++sizeClass.counters.liveObjects;
      sizeClass.counters.liveBytes += long(size);
      ++sizeClass.counters.allocations;
    }
  }
  if (block == nullptr) failedAllocations.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void MemoryPoolAllocated::operator delete(void* object, std::size_t size) noexcept {
  if (object == nullptr) return;
  const std::size_t index = IndexOf(size);
  SizeClass& sizeClass = sizeClasses[index];
  FreeBlock* released = nullptr;
  if (index == kClasses) {
    GiveToMalloc(object, size);
  } else {
    released = Released(object, size, index);
  }
  std::lock_guard<standin::SpinLock> lock(sizeClass.lock);
  --sizeClass.counters.liveObjects;
  sizeClass.counters.liveBytes -= long(size);
  if (released == nullptr) return;
  released->next = sizeClass.released;
  sizeClass.released = released;
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
