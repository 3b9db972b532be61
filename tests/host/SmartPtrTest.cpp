#include <gtest/gtest.h>

#include <algorithm>

#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "standin/Ledger.h"

namespace {

class Counted : public du::RefCounted {
 public:
  explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

std::vector<const void*> OwnersOf(const du::RefCounted* object) {
  std::vector<const void*> owners;
  for (const standin::HeldReference& row : standin::OutstandingReferences()) {
    if (row.object == object) owners.insert(owners.end(), row.count, row.owner);
  }
  std::sort(owners.begin(), owners.end());
  return owners;
}

TEST(SmartPtr, EveryReferenceIsBookedUnderTheHoldingPointer) {
  bool destroyed = false;
  auto* object = new Counted(&destroyed);
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
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(OwnersOf(object), std::vector<const void*>{&first});
  bool replacedDestroyed = false;
  first = new Counted(&replacedDestroyed);
  EXPECT_TRUE(destroyed);
  first = nullptr;
  EXPECT_TRUE(replacedDestroyed);
}

TEST(ReferenceLedger, FlagsReleasesByNonOwnersAndDestructionWhileReferenced) {
  bool destroyed = false;
  int owner = 0;
  int stranger = 0;
  {
    Counted object(&destroyed);
    object.AddReference(&owner);
    object.RemoveReference(&stranger);
    object.RemoveReference(&owner);
  }
  auto* heldObject = new Counted(&destroyed);
  heldObject->AddReference(&owner);
  delete heldObject;

  const std::vector<std::string> violations = standin::TakeLedgerViolations();
  ASSERT_EQ(violations.size(), 2U);
  EXPECT_NE(violations[0].find("owner that holds none"), std::string::npos) << violations[0];
  EXPECT_NE(violations[1].find("destroyed while owner"), std::string::npos) << violations[1];
}

}  // namespace
