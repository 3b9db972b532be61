#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "standin/Pool.h"
#include "znk/MemoryPoolAllocated.h"

namespace {

struct Pooled : znk::MemoryPoolAllocated {
  Pooled() { ++constructed; }
  static inline int constructed = 0;
  double payload[3] = {};
};

TEST(MemoryPool, CountsLiveObjectsAndTheFailSwitchRefusesOnlyTheNext) {
  const long failedBefore = standin::GetPoolCounters().failedAllocations;
  standin::FailNextPoolAllocation();
  EXPECT_EQ(new Pooled, nullptr);
  EXPECT_EQ(Pooled::constructed, 0) << "no constructor runs on a refused block";
  EXPECT_EQ(standin::GetPoolCounters().failedAllocations, failedBefore + 1);
  auto* first = new Pooled;
  auto* second = new Pooled;
  EXPECT_EQ(Pooled::constructed, 2);
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 2);
  EXPECT_EQ(standin::GetPoolCounters().liveBytes, 2 * long(sizeof(Pooled)));
  delete first;
  delete second;
}

// Sizes on both sides of the pooled range, from four threads, with released blocks taken again:
// no block may overlap another.
TEST(MemoryPool, BlocksOfAllSizesAndThreadsNeverOverlap) {
  std::atomic<bool> intact{true};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &intact] {
      std::vector<std::pair<unsigned char*, std::size_t>> blocks(30000);
      const auto mark = [t](std::size_t i) { return static_cast<unsigned char>(t * 64 + i % 61); };
      const auto take = [&](std::size_t i, std::size_t size) {
        blocks[i] = {static_cast<unsigned char*>(znk::MemoryPoolAllocated::operator new(size)),
                     size};
        std::memset(blocks[i].first, mark(i), size);
      };
      const auto give = [&](std::size_t i) {
        const auto& [data, size] = blocks[i];
        if (std::count(data, data + size, mark(i)) != long(size)) intact = false;
        znk::MemoryPoolAllocated::operator delete(data, size);
      };
      for (std::size_t i = 0; i < blocks.size(); ++i) take(i, 8 + i * 24 % 700);
      for (std::size_t i = 0; i < blocks.size(); i += 2) give(i);
      for (std::size_t i = 0; i < blocks.size(); i += 2) take(i, 8 + i * 40 % 700);
      for (std::size_t i = 0; i < blocks.size(); ++i) give(i);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_TRUE(intact);
}

TEST(MemoryPoolDeathTest, ASecondReleaseOrAWrongSizeStopsTheHost) {
  void* volatile block = znk::MemoryPoolAllocated::operator new(32);  // volatile: no warning
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 48), "bad release");
  znk::MemoryPoolAllocated::operator delete(block, 32);
  // Sanitizer builds take every block from malloc, and report the second release themselves.
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 32),
               "bad release|heap-use-after-free");
}

}  // namespace
