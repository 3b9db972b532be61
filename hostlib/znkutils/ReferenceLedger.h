#pragma once

#include "standin/Ledger.h"

// Booking side of the reference ledger, called by du::RefCounted.
namespace standin::ledger {

void Add(const du::RefCounted* object, const void* owner);
void Remove(const du::RefCounted* object, const void* owner);
// The object is being destroyed: its rows go, and any still held is a breach.
void Forget(const du::RefCounted* object);

}  // namespace standin::ledger
