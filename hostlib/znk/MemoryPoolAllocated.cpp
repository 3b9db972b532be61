#include "znk/MemoryPoolAllocated.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

std::atomic<long> liveObjects{0};
std::atomic<long> liveBytes{0};
std::atomic<long> allocations{0};
std::atomic<long> failedAllocations{0};
std::atomic<bool> failNext{false};

}  // namespace

namespace znk {

MemoryPoolAllocated::~MemoryPoolAllocated() = default;

void* MemoryPoolAllocated::operator new(std::size_t size) noexcept {
  void* raw = failNext.exchange(false) ? nullptr : std::malloc(sizeof(BlockHeader) + size);
  if (raw == nullptr) {
    failedAllocations.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  header->mark = kLiveMark;
  liveObjects.fetch_add(1, std::memory_order_relaxed);
  liveBytes.fetch_add(long(size), std::memory_order_relaxed);
  allocations.fetch_add(1, std::memory_order_relaxed);
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
  liveObjects.fetch_sub(1, std::memory_order_relaxed);
  liveBytes.fetch_sub(long(size), std::memory_order_relaxed);
  std::free(header);
}

}  // namespace znk

standin::PoolCounters standin::GetPoolCounters() {
  return {liveObjects.load(), liveBytes.load(), allocations.load(), failedAllocations.load()};
}

void standin::FailNextPoolAllocation() { failNext.store(true); }
