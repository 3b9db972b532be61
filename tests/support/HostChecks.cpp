// Test main: after every test, the stand-in host must be back where the test found it: no
// reference held, no fetch pending, no ledger breach, no pooled or reference-counted object alive,
// no symbol text left over.
#include <gtest/gtest.h>

#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"
#include "standin/PreferenceStore.h"
#include "standin/Symbols.h"

namespace {

class HostChecks : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& /*test*/) override {
    standin::TakeLedgerViolations();
    symbolTexts_ = standin::LiveSymbolTexts();
  }

  void OnTestEnd(const testing::TestInfo& /*test*/) override {
    standin::ResetWorld();  // every test gets a world of its own
    standin::SetFreshEntryTexts(false);
    if (const std::size_t cancelled = standin::CancelFetches(); cancelled > 0) {
      ADD_FAILURE() << cancelled << " fetch(es) left undelivered";
    }
    for (const std::string& violation : standin::TakeLedgerViolations()) {
      ADD_FAILURE() << "reference ledger: " << violation;
    }
    for (const standin::HeldReference& row : standin::OutstandingReferences()) {
      ADD_FAILURE() << "reference still held: " << row.className << " at " << row.object
                    << " by owner " << row.owner << " (" << row.count << ")";
    }
    EXPECT_EQ(standin::GetPoolCounters().liveObjects, 0) << "pooled objects left alive";
    EXPECT_EQ(standin::GetPoolCounters().liveBytes, 0) << "pooled bytes left allocated";
    EXPECT_EQ(standin::LiveRefCountedObjects(), 0) << "reference-counted objects left alive";
    EXPECT_EQ(standin::LiveSymbolTexts(), symbolTexts_) << "symbol texts left alive";
  }

  long symbolTexts_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  standin::EnableReferenceLedger(true);
  testing::UnitTest::GetInstance()->listeners().Append(new HostChecks);
  const int result = RUN_ALL_TESTS();
  standin::RemoveHostTempDir();
  return result;
}
