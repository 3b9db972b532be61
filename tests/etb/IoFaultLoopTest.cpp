// Every save path and the session extraction, with the n-th file operation failing (once, and
// from then on) for n = 1, 2, ... until the operation goes through untouched. After each run the
// outcome is the defined one, the target holds exactly the old or the new content, and no
// temporary file is left (unless the faulted call was the very unlink that removes it).
#include <gtest/gtest.h>

#include <cstdio>
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
  std::function<void()> prepare;        // puts the old content in place
  std::function<bool()> run;            // the operation; its result
  std::function<std::string()> result;  // what a test compares: old or new
  std::function<bool(const std::string&)> isOld;
  std::function<bool(const std::string&)> isNew;
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
      const std::string now = path.result();
      EXPECT_TRUE(path.isOld(now) || path.isNew(now)) << "torn: " << now.substr(0, 80);
      EXPECT_EQ(standin::GetPoolCounters().liveObjects, pooled);
      if (seen < n) {  // nothing failed: the operation went through
        EXPECT_TRUE(succeeded);
        EXPECT_TRUE(path.isNew(now));
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
    std::printf("%s, %s: %ld runs with a fault\n", path.name,
                everyLater ? "from the n-th on" : "the n-th alone", faults);
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

TEST_F(IoFaultLoop, EtbSavesAreWholeOrNotAtAll) {
  const std::string target = dir.path() + "/table.etb";
  const std::string old = "old content\n";
  std::string fresh;
  {
    ASSERT_TRUE(
        etb::EtbWriter().SaveAnnotationTable(table, {}, dir.path() + "/n.etb", true, false));
    fresh = ReadFile(dir.path() + "/n.etb");
    fs::remove(dir.path() + "/n.etb");
  }
  const auto prepare = [&] {
    for (const auto& item : fs::directory_iterator(dir.path())) fs::remove(item.path());
    std::ofstream(target) << old;
  };
  const auto isOld = [&](const std::string& s) { return s == old; };
  const auto isNew = [&](const std::string& s) { return s == fresh; };
  RunLoop({"ETB save", prepare,
           [&] { return etb::EtbWriter().SaveAnnotationTable(table, {}, target, true, false); },
           [&] { return ReadFile(target); }, isOld, isNew},
          {dir.path(), hostTemp});

  std::string freshDefault;
  ASSERT_TRUE(etb::EtbWriter().SaveDefaultAnnotationTable(table, {}, false, dir.path() + "/d"));
  freshDefault = ReadFile(dir.path() + "/d");
  RunLoop({"default save", prepare,
           [&] { return etb::EtbWriter().SaveDefaultAnnotationTable(table, {}, false, target); },
           [&] { return ReadFile(target); }, isOld,
           [&](const std::string& s) { return s == freshDefault; }},
          {dir.path(), hostTemp});
}

TEST_F(IoFaultLoop, PreferenceStoresAreWholeOrNotAtAll) {
  const std::string store = dir.path() + "/preferences.json";
  const std::string old = "{\"lists\": {}}\n";
  RunLoop(
      {"preferences save",
       [&] {
         for (const auto& item : fs::directory_iterator(dir.path())) fs::remove(item.path());
         std::ofstream(store) << old;
         ASSERT_EQ(standin::UsePreferenceStore(store), "");
       },
       [&] { return etb::EtbPreferencesWriter().SaveAnnotationTable(table, {}, "", true, false); },
       [&] { return ReadFile(store); }, [&](const std::string& s) { return s == old; },
       [&](const std::string& s) { return s.find("entry 2") != std::string::npos; }},
      {dir.path(), hostTemp});
}

TEST_F(IoFaultLoop, SessionExtractionLeavesWholeFilesOrNone) {
  const std::string archive = dir.path() + "/session.zip";
  testing_support::WriteZip(archive, {{"s.etb", std::string(5000, 'e')}, {"s.ast", "ast"}});
  const std::string extracted = hostTemp + "/s.etb";
  RunLoop(
      {"session extraction", [&] { fs::remove(extracted); },
       [&] {
         du::SmartPtr<znk::Structure> structure(new znk::Structure);
         structure->SetSessionStateURL(archive);
         du::SmartPtr<znk::AnnoSetTable> session(new znk::AnnoSetTable(structure));
         standin::RecordingEvent event;
         du::SmartPtr<zip::ZipParser> loader(new zip::ZipParser);
         loader->LoadSessionState(session, &event);
         standin::PumpFetches();
         loader->LoadSessionState({}, nullptr);  // let go of the table
         du::Symbol etbFile;
         structure->GetSessionStateEtbFileName(etbFile);
         return event.outcome() == standin::RecordingEvent::Outcome::kSuccess && !etbFile.IsNull();
       },
       [&] { return ReadFile(extracted); }, [](const std::string& s) { return s == "<missing>"; },
       [](const std::string& s) { return s == std::string(5000, 'e'); }},
      {dir.path(), hostTemp});
}

}  // namespace
