#pragma once

#include <atomic>

#include "du/HostApi.h"

namespace du {

// Intrusive reference count. Every add and remove names its owner (by convention the address of
// the holding smart pointer), so the host can tell who holds what.
class ZN_HOST_API RefCounted {
 public:
  RefCounted() noexcept;
  // A copy is a new object: it starts without references, and assignment keeps the count.
  RefCounted(const RefCounted& other) noexcept;
  RefCounted& operator=(const RefCounted& other) noexcept;
  virtual ~RefCounted();

  // Asked when the last reference is about to go; true lets the object be destroyed.
  virtual bool ZeroReferenceCountHook();

  // Both answer the count left after the change.
  int AddReference(const void* owner);
  int RemoveReference(const void* owner);

  int GetReferenceCount() const noexcept { return count_.load(std::memory_order_acquire); }

 private:
  std::atomic<int> count_;
};

}  // namespace du
