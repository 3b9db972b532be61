#include <gtest/gtest.h>

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
