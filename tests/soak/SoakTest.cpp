// Several hosts at once over one module: threads that load, save, load sessions and save
// preferences, each with tables of its own, while another thread delivers every fetch. Runs for
// ETB_SOAK_SECONDS (2 unless set); the host checks after the test find nothing left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "ModuleFixture.h"
#include "ScratchDir.h"
#include "ZipFiles.h"
#include "standin/Fetch.h"
#include "standin/HostLoad.h"
#include "standin/PreferenceStore.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znk/Structure.h"
#include "znloader/AnnotationParser.h"

namespace {

using Clock = std::chrono::steady_clock;
using Parser = du::SmartPtr<znloader::AnnotationParser>;
using Table = du::SmartPtr<znk::AnnoSetTable>;
using testing_support::Etb;
using testing_support::ReadFile;
using testing_support::ScratchDir;

Clock::duration SoakTime() {
  const char* seconds = std::getenv("ETB_SOAK_SECONDS");
  return std::chrono::seconds(seconds != nullptr ? std::atol(seconds) : 2);
}

// Records of one thread: texts of its own, a comment over two lines now and then.
std::string Records(int thread, int count) {
  std::string records;
  for (int i = 0; i < count; ++i) {
    const std::string id = std::to_string(thread) + "-" + std::to_string(i);
    records += std::to_string(i) + "|part " + id + "|prop " + std::to_string(i % 7) +
               "|value|note " + id + "|assy/p" + id + ".znd|0" +
               (i % 10 == 0 ? "|0 first\nsecond|0" : "") + "\n";
  }
  return Etb(records);
}

class Soak : public ModuleTest {
 protected:
  Parser Make(const char* role, const char* kind, const char* format) {
    Parser made;
    EXPECT_TRUE(module_->Create(role, kind, format, made));
    return made;
  }

  // The load's report, which the pumping thread delivers; false when none came in time.
  static bool AwaitReport(const standin::RecordingEvent& event) {
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(60);
    while (event.reportCount() == 0) {
      if (Clock::now() > giveUp) return false;
      std::this_thread::yield();
    }
    return event.reportCount() == 1 &&
           event.outcome() == standin::RecordingEvent::Outcome::kSuccess;
  }

  // Loads `file` into a new table with a completion from the pumping thread.
  Table Load(const std::string& file) {
    Table table = standin::NewAnnotationTable(file);
    standin::RecordingEvent event;
    Make("loader", "annotation", "etb")->LoadAnnotationTable(table, &event);
    EXPECT_TRUE(AwaitReport(event)) << file;
    return table;
  }

  static unsigned Count(const Table& table) {
    unsigned count = 0;
    table->GetNumEntries(count);
    return count;
  }

  ScratchDir dir_;
};

TEST_F(Soak, HostsAtOnceOverOneModuleLeaveNothingBehind) {
  constexpr int kRecords = 300;
  ASSERT_EQ(standin::UsePreferenceStore(dir_.path() + "/preferences.json"), "");
  const Clock::time_point end = Clock::now() + SoakTime();
  std::atomic<bool> working{true};
  std::atomic<long> saves{0}, sessions{0}, preferenceSaves{0};
  std::thread pump([&working] {
    while (working.load()) {
      if (standin::PumpFetches() == 0) std::this_thread::yield();
    }
  });

  // Every save of a table reads back as the same bytes as its first.
  const auto loadAndSave = [&](int thread) {
    const std::string source =
        dir_.Write("t" + std::to_string(thread) + ".etb", Records(thread, kRecords));
    const std::string target = dir_.path() + "/saved" + std::to_string(thread) + ".etb";
    std::string first;
    do {
      const Table table = Load(source);
      ASSERT_EQ(Count(table), unsigned(kRecords));
      ASSERT_TRUE(
          Make("saver", "annotation", "etb")->SaveAnnotationTable(table, {}, target, true, false));
      const std::string saved = ReadFile(target);
      if (first.empty()) first = saved;
      ASSERT_EQ(saved, first);
      ++saves;
    } while (Clock::now() < end);
  };
  // A session archive of its own (the members land in the shared temporary folder).
  const auto loadSessions = [&](int thread) {
    const std::string name = "session" + std::to_string(thread);
    const std::string archive = dir_.path() + "/" + name + ".zip";
    testing_support::WriteZip(archive,
                              {{name + ".etb", Records(thread, kRecords)}, {name + ".ast", "ast"}});
    do {
      const Table table = standin::NewAnnotationTable("");
      table->GetStructure()->SetSessionStateURL(archive);
      standin::RecordingEvent zipEvent;
      standin::RecordingEvent etbEvent;
      Make("loader", "annotation", "zip")->LoadSessionState(table, &zipEvent);
      ASSERT_TRUE(AwaitReport(zipEvent));
      Make("loader", "annotation", "etb")->LoadSessionState(table, &etbEvent);
      ASSERT_EQ(etbEvent.outcome(), standin::RecordingEvent::Outcome::kSuccess);
      ASSERT_FALSE(table->GetStructure()->GetSessionStateAnnoEntry().IsNull());
      ++sessions;
    } while (Clock::now() < end);
  };
  // The preference list is the world's, so one thread writes it and reads it back.
  const auto savePreferences = [&](int thread) {
    const Table table = Load(dir_.Write("p.etb", Records(thread, kRecords / 10)));
    for (unsigned i = 0; i < Count(table); ++i) table->GetEntry(i)->isPreference = true;
    do {
      ASSERT_TRUE(
          Make("saver", "preferences", "etb")->SaveAnnotationTable(table, {}, "", true, false));
      ASSERT_EQ(standin::PreferenceSaveFailure(), "");
      const Table list = standin::NewAnnotationTable("");
      standin::RecordingEvent event;
      Make("loader", "preferences", "etb")->LoadAnnotationTable(list, &event);
      ASSERT_TRUE(AwaitReport(event));
      ASSERT_EQ(Count(list), unsigned(kRecords / 10));
      ++preferenceSaves;
    } while (Clock::now() < end);
  };

  std::vector<std::thread> hosts;
  const std::function<void(int)> works[] = {loadAndSave, loadAndSave, loadSessions, loadSessions,
                                            savePreferences};
  for (int thread = 0; thread < int(std::size(works)); ++thread) {
    hosts.emplace_back(works[thread], thread);
  }
  for (std::thread& host : hosts) host.join();
  working = false;
  pump.join();
  standin::PumpFetches();
  std::cout << "soak: " << saves << " loads and saves, " << sessions << " session loads, "
            << preferenceSaves << " preference saves and loads\n";
  EXPECT_TRUE(saves > 0 && sessions > 0 && preferenceSaves > 0) << "every kind of work ran";
}

}  // namespace
