#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "dp/ZnTracer.h"
#include "du/Symbol.h"
#include "standin/Pool.h"
#include "standin/TraceCapture.h"
#include "znk/MemoryPoolAllocated.h"

namespace {

struct Pooled : znk::MemoryPoolAllocated {
  Pooled() { ++constructed; }
  static int constructed;
  double payload[3] = {};
};
int Pooled::constructed = 0;

TEST(MemoryPool, CountsLiveObjectsAndBytesBySize) {
  const standin::PoolCounters before = standin::GetPoolCounters();
  auto* first = new Pooled;
  auto* second = new Pooled;
  standin::PoolCounters during = standin::GetPoolCounters();
  EXPECT_EQ(during.liveObjects, before.liveObjects + 2);
  EXPECT_EQ(during.liveBytes, before.liveBytes + 2 * long(sizeof(Pooled)));
  EXPECT_EQ(during.allocations, before.allocations + 2);
  delete first;
  delete second;
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, before.liveObjects);
  EXPECT_EQ(standin::GetPoolCounters().liveBytes, before.liveBytes);
}

TEST(MemoryPool, FailSwitchRefusesTheNextAllocationOnlyAndSkipsTheConstructor) {
  const long failedBefore = standin::GetPoolCounters().failedAllocations;
  Pooled::constructed = 0;
  standin::FailNextPoolAllocation();
  Pooled* refused = new Pooled;
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(Pooled::constructed, 0);
  EXPECT_EQ(standin::GetPoolCounters().failedAllocations, failedBefore + 1);

  auto* granted = new Pooled;
  ASSERT_NE(granted, nullptr);
  EXPECT_EQ(Pooled::constructed, 1);
  delete granted;
}

// Sizes on both sides of the pooled range, from four threads, over several chunks' worth of
// blocks, with released blocks taken again: no block may overlap another.
TEST(MemoryPool, BlocksOfAllSizesAndThreadsNeverOverlap) {
  const standin::PoolCounters before = standin::GetPoolCounters();
  const auto work = [](unsigned char mark) {
    struct Block {
      void* data;
      std::size_t size;
      unsigned char mark;  // of the thread and the block
    };
    std::vector<Block> blocks;
    const auto take = [&blocks, mark](std::size_t i) {
      const std::size_t size = 8 + i * 24 % 700;
      const auto blockMark = static_cast<unsigned char>(mark * 64 + blocks.size() % 61);
      void* data = znk::MemoryPoolAllocated::operator new(size);
      if (data != nullptr) std::memset(data, blockMark, size);
      blocks.push_back({data, size, blockMark});
    };
    const auto intact = [](const Block& block) {
      const auto* bytes = static_cast<const unsigned char*>(block.data);
      for (std::size_t i = 0; i < block.size; ++i) {
        if (bytes[i] != block.mark) return false;
      }
      return true;
    };
    bool ok = true;
    for (std::size_t i = 0; i < 30000; ++i) take(i);
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
      ok = ok && intact(blocks[i]);
      znk::MemoryPoolAllocated::operator delete(blocks[i].data, blocks[i].size);
      blocks[i].data = nullptr;
    }
    for (std::size_t i = 0; i < 15000; ++i) take(i);
    for (const Block& block : blocks) {
      if (block.data == nullptr) continue;
      ok = ok && intact(block);
      znk::MemoryPoolAllocated::operator delete(block.data, block.size);
    }
    return ok;
  };
  bool intact[4] = {};
  std::vector<std::thread> threads;
  for (unsigned char t = 0; t < 4; ++t) {
    threads.emplace_back([&intact, &work, t] { intact[t] = work(t); });
  }
  for (std::thread& thread : threads) thread.join();
  for (bool threadIntact : intact) EXPECT_TRUE(threadIntact);
  const standin::PoolCounters after = standin::GetPoolCounters();
  EXPECT_EQ(after.liveObjects, before.liveObjects);
  EXPECT_EQ(after.liveBytes, before.liveBytes);
  EXPECT_EQ(after.allocations, before.allocations + 4 * 45000);
}

TEST(MemoryPoolDeathTest, ASecondReleaseStopsTheHost) {
  void* volatile block = znk::MemoryPoolAllocated::operator new(40);  // volatile: no warning
  znk::MemoryPoolAllocated::operator delete(block, 40);
  // Sanitizer builds take every block from malloc, and report the second release themselves.
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 40),
               "bad release|heap-use-after-free");
}

TEST(MemoryPoolDeathTest, ReleaseWithAWrongSizeStopsTheHost) {
  void* block = znk::MemoryPoolAllocated::operator new(32);
  EXPECT_DEATH(znk::MemoryPoolAllocated::operator delete(block, 24), "bad release");
  znk::MemoryPoolAllocated::operator delete(block, 32);
}

TEST(Tracer, EmitsOneLinePerFormatterWhenItGoes) {
  const dp::ZnTracer tracer("etb", "Parser");
  standin::TraceCapture capture;
  {
    dp::TraceFormatter line = tracer(dp::TRACE_WARNING);
    line << "Failed to open file: " << du::Symbol("/no/such.etb") << std::string(" #") << 7;
    EXPECT_TRUE(capture.Lines().empty()) << "emitted before the formatter was destroyed";
  }
  tracer(dp::TRACE_ERROR) << "second";
  const std::vector<standin::TraceLine> lines = capture.Lines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0].tracer, "etb::Parser");
  EXPECT_EQ(lines[0].type, 2);
  EXPECT_EQ(lines[0].text, "Failed to open file: /no/such.etb #7");
  EXPECT_EQ(lines[1].type, 3);
  EXPECT_EQ(lines[1].text, "second");
}

TEST(Tracer, NestedCapturesRestoreTheOuterOneAndDisabledTracingKeepsNothing) {
  const dp::ZnTracer tracer("etb", "EtbWriter");
  standin::TraceCapture outer;
  {
    standin::TraceCapture inner;
    tracer(dp::TRACE_ERROR) << "inner";
    EXPECT_EQ(inner.Lines().size(), 1U);
  }
  standin::SetTracingEnabled(false);
  {
    dp::TraceFormatter line = tracer(dp::TRACE_ERROR);
    EXPECT_FALSE(line.IsActive());
    line << "dropped";
  }
  standin::SetTracingEnabled(true);
  tracer(dp::TRACE_ERROR) << "outer";
  const std::vector<standin::TraceLine> lines = outer.Lines();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].text, "outer");
}

}  // namespace
