#pragma once

#include <atomic>

#include "Counting.h"

namespace standin {

// For critical sections of a few instructions that are rarely contended: taking and releasing it
// costs one atomic exchange and a plain store, where a mutex costs two atomic operations; in a
// process of one thread, two plain stores.
class SpinLock {
 public:
  void lock() noexcept {
    if (SingleThreaded()) return locked_.store(true, std::memory_order_relaxed);
    while (locked_.exchange(true, std::memory_order_acquire)) {
      while (locked_.load(std::memory_order_relaxed)) Relax();
    }
  }
  void unlock() noexcept { locked_.store(false, std::memory_order_release); }

 private:
  static void Relax() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }

  std::atomic<bool> locked_{false};
};

}  // namespace standin
