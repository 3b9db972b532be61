#pragma once

#include <cstddef>

// Counters and fault switch of the host memory pool (znk::MemoryPoolAllocated).
namespace standin {

struct PoolCounters {
  long liveObjects;
  long liveBytes;
  long allocations;        // successful allocations since start
  long failedAllocations;  // allocations refused, by the switch or by the system
};

PoolCounters GetPoolCounters();

// Makes the next pool allocation, and only that one, answer null.
void FailNextPoolAllocation();

}  // namespace standin
