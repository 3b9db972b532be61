#include <dlfcn.h>
#include <gtest/gtest.h>

#include "ModuleLoader.h"
#include "ScratchDir.h"
#include "standin/ComponentWords.h"
#include "standin/Fetch.h"
#include "standin/Ledger.h"
#include "standin/Pool.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znloader/AnnotationParser.h"

namespace {

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
      const auto& all = standin::kAnnotationComponents;
      std::vector<du::SmartPtr<znloader::AnnotationParser>> made(std::size(all));
      for (std::size_t i = 0; i < std::size(all); ++i) {
        ASSERT_TRUE(module->Create(all[i].role, all[i].kind, all[i].format, made[i]));
      }
      EXPECT_EQ(standin::GetPoolCounters().liveObjects, long(std::size(all)));
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
