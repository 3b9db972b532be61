#include <gtest/gtest.h>

#include <algorithm>

#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "standin/Ledger.h"

namespace {

struct Counted : du::RefCounted {};

// Owners as the ledger books them, sorted.
std::vector<const void*> OwnersOf(const du::RefCounted* object) {
  std::vector<const void*> owners;
  for (const standin::HeldReference& row : standin::OutstandingReferences()) {
    if (row.object == object) owners.insert(owners.end(), row.count, row.owner);
  }
  std::sort(owners.begin(), owners.end());
  return owners;
}

TEST(SmartPtr, EveryReferenceIsBookedUnderTheHoldingPointer) {
  auto* object = new Counted;
  du::SmartPtr<Counted> first(object);
  du::SmartPtr<Counted> second;
  second = first;
  du::SmartPtr<du::RefCounted> asBase(first);
  std::vector<const void*> expected{&first, &second, &asBase};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(OwnersOf(object), expected);
  EXPECT_EQ(object->GetReferenceCount(), 3);

  second.Reset();
  asBase.Reset();
  first = object;  // the same object again: nothing changes
  first = first;
  EXPECT_EQ(OwnersOf(object), std::vector<const void*>{&first});
  first = new Counted;
  EXPECT_EQ(standin::LiveRefCountedObjects(), 1) << "the first object went with its last reference";
  first = nullptr;
  EXPECT_EQ(standin::LiveRefCountedObjects(), 0);
}

TEST(ReferenceLedger, FlagsReleasesByNonOwnersAndDestructionWhileReferenced) {
  int owner = 0;
  int stranger = 0;
  {
    Counted object;
    object.AddReference(&owner);
    object.RemoveReference(&stranger);
    object.RemoveReference(&owner);
  }
  auto* heldObject = new Counted;
  heldObject->AddReference(&owner);
  delete heldObject;

  const std::vector<std::string> violations = standin::TakeLedgerViolations();
  ASSERT_EQ(violations.size(), 2U);
  EXPECT_NE(violations[0].find("owner that holds none"), std::string::npos) << violations[0];
  EXPECT_NE(violations[1].find("destroyed while owner"), std::string::npos) << violations[1];
}

}  // namespace
