#pragma once

#include <atomic>

#if __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#define STANDIN_KNOWS_IF_SINGLE_THREADED 1
#endif

namespace standin {

// Whether this process has only one thread. While it has, a count needs no atomic instruction:
// nobody can come between its read and its write, and the first thread the process makes turns
// this off before that thread runs. Tables count a reference several times per entry and text,
// and each atomic instruction costs as much as the rest of the step; the standard library's
// shared pointers count the same way.
inline bool SingleThreaded() noexcept {
#ifdef STANDIN_KNOWS_IF_SINGLE_THREADED
  return __libc_single_threaded != 0;
#else
  return false;
#endif
}

// `counter` += `delta`, answering the value before.
template <class T>
T FetchAdd(std::atomic<T>& counter, T delta, std::memory_order order) noexcept {
  if (!SingleThreaded()) return counter.fetch_add(delta, order);
  const T before = counter.load(std::memory_order_relaxed);
  counter.store(T(before + delta), std::memory_order_relaxed);
  return before;
}

template <class T>
T FetchSub(std::atomic<T>& counter, T delta, std::memory_order order) noexcept {
  if (!SingleThreaded()) return counter.fetch_sub(delta, order);
  const T before = counter.load(std::memory_order_relaxed);
  counter.store(T(before - delta), std::memory_order_relaxed);
  return before;
}

}  // namespace standin
