#include <gtest/gtest.h>

#include "ModuleFixture.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"
#include "znloader/AnnotationParser.h"

namespace {

struct Row {
  const char* role;
  const char* kind;
  const char* format;
  const char* className;
};

const Row kComponents[] = {
    {"loader", "annotation", "etb", "etb::Parser"},
    {"loader", "preferences", "etb", "etb::PreferencesParser"},
    {"loader", "annotation", "zip", "zip::ZipParser"},
    {"saver", "annotation", "etb", "etb::EtbWriter"},
    {"saver", "preferences", "etb", "etb::EtbPreferencesWriter"},
};

const Row kNearMisses[] = {
    {"Loader", "annotation", "etb", nullptr},
    {"loader ", "annotation", "etb", nullptr},
    {"loader", "Annotation", "etb", nullptr},
    {"loader", "annotation", "ETB", nullptr},
    {"loader", "annotation", "etb ", nullptr},
    {"loader", "preferences", "zip", nullptr},
    {"saver", "annotation", "zip", nullptr},
    {"saver", "preferences", "zip", nullptr},
    {"annotation", "loader", "etb", nullptr},
    {"writer", "annotation", "etb", nullptr},
    {"", "", "", nullptr},
    {"loader", "", "etb", nullptr},
    {"saverx", "annotation", "etb", nullptr},
};

using FactoryTest = ModuleTest;

TEST_F(FactoryTest, EveryRowMakesItsComponentBehindTheCountedBase) {
  for (const Row& row : kComponents) {
    SCOPED_TRACE(row.className);
    du::SmartPtr<du::RefCounted> out;
    ASSERT_TRUE(Create(row.role, row.kind, row.format, out));
    ASSERT_FALSE(out.IsNull());
    auto* parser = dynamic_cast<znloader::AnnotationParser*>(out.get());
    ASSERT_NE(parser, nullptr);
    EXPECT_STREQ(parser->GetDebugClassName().safe_c_str(), row.className);

    // The factory hands out the du::RefCounted base, one pointer past the object's start.
    const auto* start = static_cast<const char*>(dynamic_cast<void*>(out.get()));
    EXPECT_EQ(reinterpret_cast<const char*>(out.get()) - start, long(sizeof(void*)));
    EXPECT_EQ(out->GetReferenceCount(), 1);
    const std::vector<standin::HeldReference> held = standin::OutstandingReferences();
    ASSERT_EQ(held.size(), 1U);
    EXPECT_EQ(held[0].owner, &out);
  }
}

TEST_F(FactoryTest, WordsThatNameNothingLeaveOutUntouched) {
  du::SmartPtr<du::RefCounted> out;
  ASSERT_TRUE(Create("saver", "annotation", "etb", out));
  du::RefCounted* before = out.get();
  for (const Row& row : kNearMisses) {
    SCOPED_TRACE(std::string(row.role) + "/" + row.kind + "/" + row.format);
    EXPECT_FALSE(Create(row.role, row.kind, row.format, out));
    EXPECT_EQ(out.get(), before);
    EXPECT_EQ(out->GetReferenceCount(), 1);
  }
  // A word with an embedded NUL differs from its C-string prefix.
  EXPECT_FALSE(Create(std::string("loader\0", 7), "annotation", "etb", out));
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 1);
}

TEST_F(FactoryTest, ANewComponentReplacesTheOldOneWhichDiesWithItsLastReference) {
  du::SmartPtr<du::RefCounted> out;
  ASSERT_TRUE(Create("loader", "annotation", "zip", out));
  du::SmartPtr<du::RefCounted> keeper(out);
  ASSERT_TRUE(Create("loader", "annotation", "etb", out));
  EXPECT_NE(out.get(), keeper.get()) << "replaced";
  EXPECT_EQ(keeper->GetReferenceCount(), 1) << "the old component lost out's reference";
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 2);

  keeper = out;  // the zip loader's last reference goes
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 1);
  ASSERT_TRUE(Create("saver", "preferences", "etb", out));
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 2);
  keeper.Reset();
  ASSERT_TRUE(Create("loader", "preferences", "etb", out));
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 1);
}

TEST_F(FactoryTest, ADryPoolAnswersTrueWithOutEmptiedAndTheOldComponentReleased) {
  for (const Row& row : kComponents) {
    SCOPED_TRACE(row.className);
    du::SmartPtr<du::RefCounted> out;
    ASSERT_TRUE(Create("saver", "annotation", "etb", out));
    standin::FailNextPoolAllocation();
    EXPECT_TRUE(Create(row.role, row.kind, row.format, out));
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(standin::GetPoolCounters().liveObjects, 0);
  }
}

// Every component answers progress with true. Loaders keep the save defaults and savers the load
// defaults; the reserved slots keep theirs everywhere.
TEST_F(FactoryTest, ComponentsAnswerProgressAndKeepTheInterfaceDefaults) {
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
  du::SmartPtr<znk::AnnoSetTableEntry> noEntry;
  for (const Row& row : kComponents) {
    SCOPED_TRACE(row.className);
    du::SmartPtr<du::RefCounted> out;
    ASSERT_TRUE(Create(row.role, row.kind, row.format, out));
    du::SmartPtr<znloader::AnnotationParser> parser(
        dynamic_cast<znloader::AnnotationParser*>(out.get()));
    ASSERT_FALSE(parser.IsNull());

    EXPECT_TRUE(parser->OnProgress(7, 0));
    EXPECT_TRUE(parser->OnProgress(7, 255));
    parser->ReservedAction1();
    parser->ReservedAction2();
    parser->ReservedAction3();
    EXPECT_FALSE(parser->ReservedQuery1());
    EXPECT_FALSE(parser->ReservedQuery2());
    EXPECT_FALSE(parser->ReservedQuery3());
    EXPECT_EQ(parser->ReservedCount(), 0);
    EXPECT_TRUE(parser->GetParserName().IsNull());
    EXPECT_FALSE(parser->IsPresaveNeeded());
    if (std::string(row.role) == "loader") {
      EXPECT_FALSE(parser->SaveAnnotationTable(table, noEntry, "", true, false));
      EXPECT_FALSE(parser->SaveDefaultAnnotationTable(table, noEntry, false, "x.etb"));
    } else {
      standin::RecordingEvent event;
      parser->OnComplete(7, znk::BaseAsyncEvent::EVENT_DELIVERED);
      parser->LoadAnnotationTable(table, &event);
      parser->LoadSessionState(table, &event);
      EXPECT_EQ(event.reportCount(), 0);
      EXPECT_EQ(table->GetReferenceCount(), 1) << "a saver holds on to no table";
    }
  }
}

}  // namespace
