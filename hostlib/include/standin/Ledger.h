#pragma once

#include <string>
#include <vector>

namespace du {
class RefCounted;
}

// The reference ledger: with it switched on, every AddReference/RemoveReference is booked per
// object and owner tag, so tests can list who still holds what and catch releases by owners that
// hold nothing.
namespace standin {

struct HeldReference {
  const du::RefCounted* object;
  std::string className;
  const void* owner;
  int count;
};

// Switch on before the first reference a test cares about is taken.
void EnableReferenceLedger(bool on);
bool IsReferenceLedgerEnabled();

// References booked and not given back, one row per (object, owner).
std::vector<HeldReference> OutstandingReferences();
// Protocol breaches seen since the last call (a remove by a non-owner, an object destroyed while
// still referenced), as readable lines; the list is emptied.
std::vector<std::string> TakeLedgerViolations();

// du::RefCounted objects currently alive, ledger or not.
long LiveRefCountedObjects();

// Texts currently held by du::Symbol values.
long LiveSymbolTexts();

}  // namespace standin
