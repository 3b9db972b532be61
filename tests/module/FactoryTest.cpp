#include <gtest/gtest.h>

#include "ModuleFixture.h"
#include "standin/Pool.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
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

using FactoryTest = ModuleTest;

// Each new component takes `out`'s reference from the previous one. Loaders refuse to save, and
// savers load nothing and hold on to no table.
TEST_F(FactoryTest, EveryRowMakesItsComponentBehindTheCountedBase) {
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
  du::SmartPtr<du::RefCounted> out;
  for (const Row& row : kComponents) {
    SCOPED_TRACE(row.className);
    const du::SmartPtr<du::RefCounted> previous(out);
    ASSERT_TRUE(Create(row.role, row.kind, row.format, out));
    EXPECT_TRUE(previous.IsNull() || previous->GetReferenceCount() == 1);
    auto* parser = dynamic_cast<znloader::AnnotationParser*>(out.get());
    ASSERT_NE(parser, nullptr);
    EXPECT_STREQ(parser->GetDebugClassName().safe_c_str(), row.className);
    // The host takes the du::RefCounted base, one pointer past the object's start.
    const auto* start = static_cast<const char*>(dynamic_cast<void*>(out.get()));
    EXPECT_EQ(reinterpret_cast<const char*>(out.get()) - start, long(sizeof(void*)));
    EXPECT_EQ(out->GetReferenceCount(), 1);
    EXPECT_TRUE(parser->OnProgress(7, 255));
    if (std::string(row.role) == "loader") {
      EXPECT_FALSE(parser->SaveAnnotationTable(table, nullptr, "", true, false));
      EXPECT_FALSE(parser->SaveDefaultAnnotationTable(table, nullptr, false, "x.etb"));
    } else {
      standin::RecordingEvent event;
      parser->LoadAnnotationTable(table, &event);
      parser->LoadSessionState(table, &event);
      EXPECT_EQ(event.reportCount(), 0);
      EXPECT_EQ(table->GetReferenceCount(), 1);
    }
  }
}

// Words are matched exactly, and a miss leaves `out` as it was. A dry pool answers true with
// `out` emptied.
TEST_F(FactoryTest, WordsThatNameNothingLeaveOutUntouched) {
  const Row misses[] = {{"Loader", "annotation", "etb", ""},  // near misses, swapped words, none
                        {"loader ", "annotation", "etb", ""}, {"loader", "annotation", "ETB", ""},
                        {"loader", "preferences", "zip", ""}, {"saver", "annotation", "zip", ""},
                        {"annotation", "loader", "etb", ""},  {"", "", "", ""}};
  du::SmartPtr<du::RefCounted> out;
  ASSERT_TRUE(Create("saver", "annotation", "etb", out));
  du::RefCounted* before = out.get();
  for (const Row& row : misses) {
    EXPECT_FALSE(Create(row.role, row.kind, row.format, out)) << row.role << row.kind;
  }
  EXPECT_FALSE(Create(std::string("loader\0", 7), "annotation", "etb", out)) << "embedded NUL";
  EXPECT_EQ(out.get(), before);
  EXPECT_EQ(out->GetReferenceCount(), 1);
  EXPECT_EQ(standin::GetPoolCounters().liveObjects, 1);
  for (const Row& row : kComponents) {
    ASSERT_TRUE(Create("saver", "annotation", "etb", out));
    standin::FailNextPoolAllocation();
    EXPECT_TRUE(Create(row.role, row.kind, row.format, out)) << row.className;
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(standin::GetPoolCounters().liveObjects, 0);
  }
}

}  // namespace
