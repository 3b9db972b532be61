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

// Every round unloads with a fetch out: it is dropped while the loader's code is still there, and
// nothing is delivered afterwards. The module's constant symbols exist only while it is loaded.
TEST(ModuleLifetime, HundredLoadsAndUnloadsLeaveNothingBehind) {
  testing_support::ScratchDir dir;
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  structure->SetAnnoSetTableFileSource(dir.Write("a.etb", "1<@@>a<@@>b<@@>c<@@>d<@@>f<@@>0\n"));
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable(structure));
  standin::RecordingEvent event;
  const long textsBefore = standin::LiveSymbolTexts();
  const long objectsBefore = standin::GetPoolCounters().liveObjects;
  for (int round = 0; round < 100; ++round) {
    std::string error;
    std::unique_ptr<etbtool::LoadedModule> module =
        etbtool::LoadedModule::Load(ETBPLUGIN_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_GT(standin::LiveSymbolTexts(), textsBefore);
    for (const standin::ComponentWords& words : standin::kAnnotationComponents) {
      du::SmartPtr<znloader::AnnotationParser> made;
      ASSERT_TRUE(module->Create(words.role, words.kind, words.format, made));
      if (&words == standin::kAnnotationComponents) made->LoadAnnotationTable(table, &event);
    }
    EXPECT_EQ(standin::PendingFetches().size(), 1U);
    module.reset();
    EXPECT_EQ(standin::PumpFetches(), 0U);
    ASSERT_EQ(dlopen(ETBPLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still mapped";
    EXPECT_EQ(standin::LiveSymbolTexts(), textsBefore);
    EXPECT_EQ(standin::GetPoolCounters().liveObjects, objectsBefore);
  }
  EXPECT_EQ(event.reportCount(), 0);
  EXPECT_EQ(table->GetReferenceCount(), 1) << "the cancelled loads let go of the table";
}

}  // namespace
