#include <gtest/gtest.h>

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
  const auto work = [](unsigned char thread) {
    std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    const auto take = [&blocks, thread](std::size_t i) {
      const std::size_t size = 8 + i * 24 % 700;
      auto* data = static_cast<unsigned char*>(znk::MemoryPoolAllocated::operator new(size));
      std::memset(data, thread * 64 + int(blocks.size() % 61), size);
      blocks.emplace_back(data, size);
    };
    bool intact = true;
    const auto release = [&blocks, &intact, thread](std::size_t i) {
      auto& [data, size] = blocks[i];
      const auto mark = static_cast<unsigned char>(thread * 64 + int(i % 61));
      for (std::size_t b = 0; b < size; ++b) intact = intact && data[b] == mark;
      znk::MemoryPoolAllocated::operator delete(data, size);
      data = nullptr;
    };
    for (std::size_t i = 0; i < 30000; ++i) take(i);
    for (std::size_t i = 0; i < blocks.size(); i += 2) release(i);
    for (std::size_t i = 0; i < 15000; ++i) take(i);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      if (blocks[i].first != nullptr) release(i);
    }
    return intact;
  };
  bool intact[4] = {};
  std::vector<std::thread> threads;
  for (unsigned char t = 0; t < 4; ++t) threads.emplace_back([&, t] { intact[t] = work(t); });
  for (std::thread& thread : threads) thread.join();
  for (const bool threadIntact : intact) EXPECT_TRUE(threadIntact);
}

TEST(MemoryPoolDeathTest, ASecondReleaseOrAWrongSizeStopsTheHost) {
  void* volatile block = znk::MemoryPoolAllocated::operator new(32);  // volatile: no warning
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 24), "bad release");
  znk::MemoryPoolAllocated::operator delete(block, 32);
  // Sanitizer builds take every block from malloc, and report the second release themselves.
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 32),
               "bad release|heap-use-after-free");
}

}  // namespace
