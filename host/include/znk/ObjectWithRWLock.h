#pragma once

#include "du/HostApi.h"
#include "du/RefCounted.h"

namespace znk {

// Base of host objects that own others in the product structure.
class ZN_HOST_API ObjectWithRWLock : public du::RefCounted {
 public:
  ObjectWithRWLock() noexcept = default;
  ObjectWithRWLock(const ObjectWithRWLock&) = delete;
  ObjectWithRWLock& operator=(const ObjectWithRWLock&) = delete;
  ~ObjectWithRWLock() override;
};

}  // namespace znk
