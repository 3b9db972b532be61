#include "du/RefCounted.h"

#include "Counting.h"
#include "ReferenceLedger.h"

namespace du {

namespace {
std::atomic<long> liveObjects{0};
}  // namespace

RefCounted::RefCounted() noexcept : count_(0) {
  standin::FetchAdd(liveObjects, 1L, std::memory_order_relaxed);
}

RefCounted::RefCounted(const RefCounted& /*other*/) noexcept : RefCounted() {}

RefCounted& RefCounted::operator=(const RefCounted& /*other*/) noexcept { return *this; }

RefCounted::~RefCounted() {
  standin::FetchSub(liveObjects, 1L, std::memory_order_relaxed);
  if (standin::ledger::Enabled()) standin::ledger::Forget(this);
}

bool RefCounted::ZeroReferenceCountHook() { return true; }

int RefCounted::AddReference(const void* owner) {
  if (standin::ledger::Enabled()) standin::ledger::Add(this, owner);
  return standin::FetchAdd(count_, 1, std::memory_order_acq_rel) + 1;
}

int RefCounted::RemoveReference(const void* owner) {
  if (standin::ledger::Enabled()) standin::ledger::Remove(this, owner);
  return standin::FetchSub(count_, 1, std::memory_order_acq_rel) - 1;
}

}  // namespace du

long standin::LiveRefCountedObjects() { return du::liveObjects.load(); }
