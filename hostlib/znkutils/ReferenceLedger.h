#pragma once

#include <atomic>

#include "standin/Ledger.h"

// Booking side of the reference ledger, called by du::RefCounted.
namespace standin::ledger {

// Read on every reference taken or given back, so it is read here without a call.
extern std::atomic<bool> enabled;
inline bool Enabled() { return enabled.load(std::memory_order_relaxed); }

void Add(const du::RefCounted* object, const void* owner);
void Remove(const du::RefCounted* object, const void* owner);
// The object is being destroyed: its rows go, and any still held is a breach.
void Forget(const du::RefCounted* object);

}  // namespace standin::ledger
