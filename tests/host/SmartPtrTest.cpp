#include <gtest/gtest.h>

#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"
#include "znk/MemoryPoolAllocated.h"

namespace {

// Reports its destruction and lets a test decide what its zero-count hook answers.
class Counted : public du::RefCounted {
 public:
  explicit Counted(bool* destroyed, bool hookAnswer = true)
      : destroyed_(destroyed), hookAnswer_(hookAnswer) {}
  ~Counted() override { *destroyed_ = true; }
  bool ZeroReferenceCountHook() override {
    ++hookCalls;
    return hookAnswer_;
  }
  int hookCalls = 0;

 private:
  bool* destroyed_;
  bool hookAnswer_;
};

// Pooled first base, counted second: the counted base is not at the object's start.
class PooledCounted : public znk::MemoryPoolAllocated, public du::RefCounted {
 public:
  char payload[40] = {};
};

std::vector<const void*> OwnersOf(const du::RefCounted* object) {
  std::vector<const void*> owners;
  for (const standin::HeldReference& row : standin::OutstandingReferences()) {
    if (row.object == object) owners.insert(owners.end(), row.count, row.owner);
  }
  return owners;
}

TEST(SmartPtr, EveryReferenceIsBookedUnderTheHoldingPointer) {
  bool destroyed = false;
  auto* object = new Counted(&destroyed);
  du::SmartPtr<Counted> first(object);
  du::SmartPtr<Counted> second;
  second = first;
  du::SmartPtr<du::RefCounted> asBase(first);

  EXPECT_EQ(object->GetReferenceCount(), 3);
  std::vector<const void*> owners = OwnersOf(object);
  std::sort(owners.begin(), owners.end());
  std::vector<const void*> expected{&first, &second, &asBase};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(owners, expected);

  second.Reset();
  asBase.Reset();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(OwnersOf(object), std::vector<const void*>{&first});
}

TEST(SmartPtr, LastReleaseAsksTheHookAndDeletesOnlyWhenItAgrees) {
  struct Case {
    bool hookAnswer;
    bool expectDestroyed;
  };
  for (const Case& c : {Case{true, true}, Case{false, false}}) {
    SCOPED_TRACE(c.hookAnswer);
    bool destroyed = false;
    auto* object = new Counted(&destroyed, c.hookAnswer);
    {
      du::SmartPtr<Counted> holder(object);
      du::SmartPtr<Counted> other(holder);
      other.Reset();
      EXPECT_EQ(object->hookCalls, 0) << "the hook is only for the last reference";
    }
    EXPECT_EQ(destroyed, c.expectDestroyed);
    if (!destroyed) {
      // The refusing hook keeps the object alive with the revived reference; give it back.
      EXPECT_EQ(object->hookCalls, 1);
      EXPECT_EQ(object->GetReferenceCount(), 1);
      ASSERT_EQ(OwnersOf(object).size(), 1U);
      object->RemoveReference(OwnersOf(object).front());
      delete object;
    }
  }
}

TEST(SmartPtr, AssignmentTakesTheNewReferenceBeforeReleasingTheOld) {
  bool destroyed = false;
  du::SmartPtr<Counted> holder(new Counted(&destroyed));
  Counted* object = holder.get();
  holder = object;  // the same object: nothing changes
  holder = holder;
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(object->GetReferenceCount(), 1);

  bool replacedDestroyed = false;
  holder = new Counted(&replacedDestroyed);
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(replacedDestroyed);
  holder = nullptr;
  EXPECT_TRUE(replacedDestroyed);
  EXPECT_TRUE(holder.IsNull());
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

TEST(SmartPtr, DeletesThroughTheCountedBaseWithThePoolsPointerAndSize) {
  const long before = standin::GetPoolCounters().liveObjects;
  auto* object = new PooledCounted;
  du::RefCounted* base = object;
  ASSERT_NE(static_cast<void*>(base), static_cast<void*>(object));
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, before + 1);
  { du::SmartPtr<du::RefCounted> holder(base); }
  // The pool checks pointer and size on release and aborts on a mismatch.
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, before);
}

}  // namespace
