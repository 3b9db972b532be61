// Every save path and the session extraction, with the n-th file operation failing (once, and
// from then on) for n = 1, 2, ... until the operation goes through untouched. After each run the
// outcome is the defined one, the target holds exactly the old or the new content, and no
// temporary file is left (unless the faulted call was the very unlink that removes it).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "EtbFiles.h"
#include "ZipFiles.h"
#include "du/FileSystem.h"
#include "etb/EtbPreferencesWriter.h"
#include "etb/EtbWriter.h"
#include "standin/Fetch.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostLoad.h"
#include "standin/Pool.h"
#include "standin/PreferenceStore.h"
#include "standin/RecordingEvent.h"
#include "zip/ZipParser.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;
using testing_support::EntrySpec;
using testing_support::MakeEntry;
using testing_support::ReadFile;
using testing_support::ScratchDir;

struct FaultedPath {
  const char* name;
  std::function<void()> prepare;      // puts the old content in place
  std::function<bool()> run;          // the operation; its result
  std::function<std::string()> read;  // what is compared: the old content or the new
};

// Files whose names say they are someone's temporary.
std::vector<std::string> Temporaries(const std::vector<std::string>& folders) {
  std::vector<std::string> found;
  for (const std::string& folder : folders) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(folder, ignored);
         it != fs::recursive_directory_iterator(); ++it) {
      const std::string name = it->path().filename().string();
      if (name.find("hlw-tmp-file-") == 0 || name.find(".copy-") != std::string::npos ||
          name.find(".part-") != std::string::npos || name.find("store-") == 0) {
        found.push_back(it->path().string());
      }
    }
  }
  return found;
}

void RunLoop(const FaultedPath& path, const std::vector<std::string>& folders) {
  path.prepare();
  const std::string old = path.read();
  ASSERT_TRUE(path.run());  // undisturbed, for the new content
  const std::string fresh = path.read();
  ASSERT_NE(old, fresh);
  const long pooled = standin::GetPoolCounters().liveObjects;  // the fixture's own entries
  standin::TraceCapture quiet;  // the failure messages are the saver tests' business
  for (bool everyLater : {false, true}) {
    long faults = 0;
    for (long n = 1; n < 200; ++n) {
      SCOPED_TRACE(std::string(path.name) + (everyLater ? ", from the n-th on" : ", the n-th") +
                   ", n=" + std::to_string(n));
      path.prepare();
      standin::FailFileOperation(n, everyLater);
      const bool succeeded = path.run();
      const long seen = standin::FileOperationsSeen();
      const standin::FileSystemOperation last = standin::LastFaultedOperation();
      standin::ClearFileSystemFaults();
      const std::string now = path.read();
      EXPECT_TRUE(now == old || now == fresh) << "torn: " << now.substr(0, 80);
      EXPECT_EQ(standin::GetPoolCounters().liveObjects, pooled);
      if (seen < n) {  // nothing failed: the operation went through
        EXPECT_TRUE(succeeded);
        EXPECT_EQ(now, fresh);
        EXPECT_TRUE(Temporaries(folders).empty());
        break;
      }
      ++faults;
      if (last == standin::FileSystemOperation::kUnlink) {
        for (const std::string& left : Temporaries(folders)) fs::remove(left);
      } else {
        EXPECT_TRUE(Temporaries(folders).empty());
      }
    }
    EXPECT_GT(faults, 0) << path.name << ": no file operation was ever faulted";
  }
}

struct IoFaultLoop : testing::Test {
  ScratchDir dir;
  std::string hostTemp = du::FileSystem::GetTempDir(true);
  du::SmartPtr<znk::AnnoSetTable> table = standin::NewAnnotationTable("");
  IoFaultLoop() {
    for (int i = 0; i < 3; ++i) {
      EntrySpec spec;
      spec.componentId = i;
      spec.name = "entry " + std::to_string(i);
      spec.file = "f.znd";
      table->AddEntry(MakeEntry(spec));
      spec.isPreference = true;
      table->AddEntry(MakeEntry(spec));
    }
  }
};

TEST_F(IoFaultLoop, SavesAndTheSessionExtractionAreWholeOrNotAtAll) {
  const std::string target = dir.path() + "/table.etb", store = dir.path() + "/preferences.json";
  const auto oldTarget = [&] {
    for (const auto& item : fs::directory_iterator(dir.path())) fs::remove(item.path());
    std::ofstream(target) << "old content\n";
  };
  const auto readTarget = [&] { return ReadFile(target); };
  const std::string archive = dir.path() + "/session.zip", extracted = hostTemp + "/s.etb";
  const FaultedPath paths[] = {
      {"ETB save", oldTarget,
       [&] { return etb::EtbWriter().SaveAnnotationTable(table, {}, target, true, false); },
       readTarget},
      {"default save", oldTarget,
       [&] { return etb::EtbWriter().SaveDefaultAnnotationTable(table, {}, false, target); },
       readTarget},
      {"preferences save",
       [&] {
         oldTarget();
         std::ofstream(store) << "{\"lists\": {}}\n";
         ASSERT_EQ(standin::UsePreferenceStore(store), "");
       },
       [&] { return etb::EtbPreferencesWriter().SaveAnnotationTable(table, {}, "", true, false); },
       [&] { return ReadFile(store); }},
      {"session extraction",
       [&] {
         fs::remove(extracted);
         testing_support::WriteZip(archive, {{"s.etb", std::string(5000, 'e')}, {"s.ast", "ast"}});
       },
       [&] {
         du::SmartPtr<znk::AnnoSetTable> session = standin::NewAnnotationTable("");
         session->GetStructure()->SetSessionStateURL(archive);
         standin::RecordingEvent event;
         du::SmartPtr<zip::ZipParser> loader(new zip::ZipParser);
         loader->LoadSessionState(session, &event);
         standin::PumpFetches();
         loader->LoadSessionState({}, nullptr);  // let go of the table
         du::Symbol etbFile;
         session->GetStructure()->GetSessionStateEtbFileName(etbFile);
         return event.outcome() == standin::RecordingEvent::Outcome::kSuccess && !etbFile.IsNull();
       },
       [&] { return ReadFile(extracted); }},
  };
  for (const FaultedPath& path : paths) RunLoop(path, {dir.path(), hostTemp});
}

}  // namespace
