#include <dlfcn.h>
#include <gtest/gtest.h>

#include "ModuleLoader.h"
#include "ScratchDir.h"
#include "standin/Fetch.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znloader/AnnotationParser.h"

namespace {

const char* const kWords[][3] = {
    {"loader", "annotation", "etb"}, {"loader", "preferences", "etb"},
    {"loader", "annotation", "zip"}, {"saver", "annotation", "etb"},
    {"saver", "preferences", "etb"},
};

TEST(ModuleLifetime, HundredLoadsAndUnloadsLeaveNothingBehind) {
  const long textsBefore = standin::LiveSymbolTexts();
  long textsWhileLoaded = -1;
  for (int round = 0; round < 100; ++round) {
    std::string error;
    std::unique_ptr<etbtool::LoadedModule> module =
        etbtool::LoadedModule::Load(ETBPLUGIN_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    // The module's constant symbols exist exactly while it is loaded.
    if (textsWhileLoaded < 0) textsWhileLoaded = standin::LiveSymbolTexts();
    EXPECT_GT(textsWhileLoaded, textsBefore);
    EXPECT_EQ(standin::LiveSymbolTexts(), textsWhileLoaded);
    {
      std::vector<du::SmartPtr<znloader::AnnotationParser>> made(std::size(kWords));
      for (std::size_t i = 0; i < std::size(kWords); ++i) {
        ASSERT_TRUE(module->Create(kWords[i][0], kWords[i][1], kWords[i][2], made[i]));
      }
      EXPECT_EQ(standin::GetPoolCounters().liveObjects, long(std::size(kWords)));
    }
    EXPECT_EQ(standin::GetPoolCounters().liveObjects, 0);
    module.reset();
    ASSERT_EQ(dlopen(ETBPLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still mapped";
    EXPECT_EQ(standin::LiveSymbolTexts(), textsBefore);
  }
}

// A host that unloads the module with a fetch still out: the pending request is dropped while
// the component's code is still there, and nothing is delivered afterwards.
TEST(ModuleLifetime, UnloadingWithAFetchOutstandingCallsNoDeadObject) {
  testing_support::ScratchDir dir;
  const std::string file = dir.Write("a.etb", "1<@@>a<@@>b<@@>c<@@>d<@@>f<@@>0\n");
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  structure->SetAnnoSetTableFileSource(file);
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable(structure));
  standin::RecordingEvent event;
  {
    std::string error;
    std::unique_ptr<etbtool::LoadedModule> module =
        etbtool::LoadedModule::Load(ETBPLUGIN_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    du::SmartPtr<znloader::AnnotationParser> loader;
    ASSERT_TRUE(module->Create("loader", "annotation", "etb", loader));
    loader->LoadAnnotationTable(table, &event);
    EXPECT_EQ(standin::PendingFetches().size(), 1U);
  }
  EXPECT_TRUE(standin::PendingFetches().empty());
  EXPECT_EQ(standin::PumpFetches(), 0U);
  EXPECT_EQ(event.reportCount(), 0);
  EXPECT_EQ(table->GetReferenceCount(), 1) << "the cancelled load let go of the table";
}

}  // namespace
