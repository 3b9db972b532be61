#pragma once

#include <cstddef>

#include "du/HostApi.h"

namespace znk {

// Base of host objects that live in the host's memory pool. The pool may run dry: operator new
// then answers null (it is noexcept, so a new-expression yields null without constructing).
class ZN_HOST_API MemoryPoolAllocated {
 public:
  virtual ~MemoryPoolAllocated();

  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* object, std::size_t size) noexcept;

 protected:
  MemoryPoolAllocated() noexcept = default;
  MemoryPoolAllocated(const MemoryPoolAllocated&) noexcept = default;
  MemoryPoolAllocated& operator=(const MemoryPoolAllocated&) noexcept = default;
};

}  // namespace znk
