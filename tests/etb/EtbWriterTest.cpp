#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sstream>

#include "EtbFiles.h"
#include "du/FileSystem.h"
#include "etb/EtbWriter.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostLoad.h"
#include "standin/Symbols.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;
using standin::NewAnnotationTable;
using testing_support::Describe;
using testing_support::EntrySpec;
using testing_support::LoadAnnotations;
using testing_support::MakeEntry;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using EntryPtr = du::SmartPtr<znk::AnnoSetTableEntry>;

EntryPtr Entry(int id, int secondState = 0, bool preference = false, bool excluded = false) {
  EntrySpec spec;
  spec.componentId = id;
  spec.file = "f";
  spec.secondState = secondState;
  spec.isPreference = preference;
  spec.excludeFromPartialSave = excluded;
  return MakeEntry(spec);
}

// Column 1 (and column 9 when there is one) of every line of a saved file.
std::vector<std::string> SavedRecords(const std::string& path) {
  std::istringstream content(ReadFile(path));
  std::vector<std::string> records;
  for (std::string line; std::getline(content, line);) {
    std::string summary = line.substr(0, line.find("<@@>"));
    std::size_t column = 1;
    for (std::size_t at = line.find("<@@>"); at != std::string::npos;
         at = line.find("<@@>", at + 4)) {
      if (++column == 9) summary += ":" + line.substr(at + 4, line.find("<@@>", at + 4) - at - 4);
    }
    records.push_back(summary);
  }
  return records;
}

struct WriterTest : testing::Test {
  ~WriterTest() override { standin::ClearFileSystemFaults(); }
  ScratchDir dir;
  std::string target = dir.path() + "/saved.etb";
  etb::EtbWriter writer;
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable("");
  // 0: a file entry, 1: a preference entry, 2: excluded from partial saves, 3: a file entry.
  std::vector<EntryPtr> entries{Entry(0), Entry(1, 0, true), Entry(2, 0, false, true), Entry(3)};
  WriterTest() {
    for (const EntryPtr& entry : entries) table->AddEntry(entry);
  }
};

TEST_F(WriterTest, SelectsFileEntriesByTheAddFlagAndTheGivenEntry) {
  const EntryPtr outside = Entry(9);
  struct Case {
    const char* name;
    bool addFlag;
    EntryPtr given;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"all, nothing given", true, EntryPtr(), {"0", "2", "3"}},
      {"all, then a new entry", true, outside, {"0", "2", "3", "9"}},
      {"all, then an entry of the table again", true, entries[3], {"0", "2", "3", "3"}},
      {"a preference entry is never written", true, entries[1], {"0", "2", "3"}},
      {"partial without an entry writes nothing", false, EntryPtr(), {}},
      {"partial leaves out the given and the excluded", false, entries[3], {"0"}},
      {"partial with an entry not in the table", false, outside, {"0", "3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(writer.SaveAnnotationTable(table, c.given, target, c.addFlag, false));
    EXPECT_EQ(SavedRecords(target), c.records);
  }
  EXPECT_TRUE(writer.SaveAnnotationTable(table, outside, "", true, false)) << "nothing to do";
  EXPECT_TRUE(writer.SaveAnnotationTable({}, outside, target, true, false)) << "no table";
  EXPECT_EQ(SavedRecords(target), std::vector<std::string>{"9"});
}

TEST_F(WriterTest, DefaultSaveMarksOnlyTheGivenEntryAndRestoresEverySecondState) {
  entries[0]->secondState = 5;
  entries[3]->secondState = 2;
  struct Case {
    EntryPtr given;
    bool mark;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {entries[0], true, {"0:2", "3"}}, {entries[3], true, {"0", "3:2"}},
      {entries[0], false, {"0", "3"}},  {Entry(9), true, {"0", "3"}},
      {EntryPtr(), true, {"0", "3"}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(writer.SaveDefaultAnnotationTable(table, c.given, c.mark, target));
    EXPECT_EQ(SavedRecords(target), c.records);
    EXPECT_EQ(entries[0]->secondState, 5);
    EXPECT_EQ(entries[3]->secondState, 2);
  }
}

// Every way a save can fail: false, exactly one message, the target as it was, and no
// temporary file left anywhere.
TEST_F(WriterTest, FailedSavesLeaveNoTraceOnDiskButTheirMessage) {
  using Op = standin::FileSystemOperation;
  const std::string folderTarget = dir.path() + "/folder";
  fs::create_directory(folderTarget);
  struct Case {
    const char* name;
    std::string target;
    bool existing;
    std::vector<Op> faults;
    std::string message;
    rlim_t fileSizeLimit = RLIM_INFINITY;  // a full disk: no file may grow past it
  };
  const std::string commit = "Failed to commit annotation set table changes: ";
  const Case cases[] = {
      {"missing folder",
       dir.path() + "/none/t.etb",
       false,
       {},
       commit + dir.path() + "/none/t.etb"},
      {"target is a folder", folderTarget, false, {}, commit + folderTarget},
      {"no temporary file",
       target,
       true,
       {Op::kMkTempFile},
       "Failed to open file: " + target + ", to write annotation set table"},
      {"backup fails", target, true, {Op::kBackupFile}, commit + target},
      {"copy fails", target, false, {Op::kCopyFile}, commit + target},
      {"copy fails over a target", target, true, {Op::kCopyFile}, commit + target},
      {"copy fails halfway", target, false, {Op::kCopyWrite}, commit + target},
      {"backup fails halfway", target, true, {Op::kCopyWrite}, commit + target},
      {"full disk", target, true, {}, commit + target, 16},
  };
  // A write past the limit then fails with EFBIG instead of ending the process.
  const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(target);
    if (c.existing) dir.Write("saved.etb", "old content\n");
    const std::string before = ReadFile(c.target);
    for (Op fault : c.faults) standin::FailFileSystem(fault);
    standin::TraceCapture capture;
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = std::min(c.fileSizeLimit, previous.rlim_cur);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool saved = writer.SaveAnnotationTable(table, EntryPtr(), c.target, true, false);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_FALSE(saved);
    ASSERT_EQ(capture.Lines().size(), 1U);
    EXPECT_EQ(capture.Lines()[0].tracer, "etb::EtbWriter");
    EXPECT_EQ(capture.Lines()[0].type, 3);
    EXPECT_EQ(capture.Lines()[0].text, c.message);
    EXPECT_EQ(ReadFile(c.target), before);
    EXPECT_TRUE(fs::is_empty(du::FileSystem::GetTempDir(true))) << "a temporary file is left";
    standin::ClearFileSystemFaults();
  }
  std::signal(SIGXFSZ, previousSignal);
  for (const auto& item : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(item.path().filename().string().rfind("saved.etb", 0) == 0, !item.is_directory());
  }

  standin::FailFileSystem(Op::kMkTempFile);
  standin::TraceCapture capture;
  EXPECT_FALSE(writer.SaveDefaultAnnotationTable(table, EntryPtr(), false, target));
  ASSERT_EQ(capture.Lines().size(), 1U);
  EXPECT_EQ(capture.Lines()[0].text,
            "Failed to open file: " + target + ", to write default annotation set table");
}

// A host may make each getter's text for the call alone, and may save from a thread whose stack
// is smaller than a save's write buffer: the saved bytes are the same.
TEST(EtbSave, FromASmallStackWithTextsMadeForEachCall) {
  standin::SetFreshEntryTexts(true);
  EntrySpec spec;
  spec.componentId = 7;
  spec.componentName = "Bolt";
  spec.propertyName = "Torque";
  spec.propertyValue = std::string(80, 'v');  // longer than any shared text
  spec.name = "Check";
  spec.file = "part.znd";
  spec.secondState = 2;
  spec.extraText1 = "x";
  static du::SmartPtr<znk::AnnoSetTable> table;
  table = NewAnnotationTable("");
  table->AddEntry(MakeEntry(spec));
  ScratchDir dir;
  static std::string target;
  target = dir.path() + "/small-stack.etb";
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  // Under the sanitizers every frame is larger; the stack still stays below the 64 KiB block.
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 60 * 1024), 0);
  pthread_t thread;
  const auto save = [](void*) -> void* {
    const bool saved = etb::EtbWriter().SaveAnnotationTable(table, EntryPtr(), target, true, false);
    return saved ? &target : nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, save, nullptr), 0);
  void* saved = nullptr;
  pthread_join(thread, &saved);
  pthread_attr_destroy(&attributes);
  table.Reset();
  EXPECT_NE(saved, nullptr);
  EXPECT_EQ(ReadFile(target), "7<@@>Bolt<@@>Torque<@@>" + std::string(80, 'v') +
                                  "<@@>Check<@@>part.znd<@@>0<@@>0<@@>2<@@>x\n");
}

// Random entries of every shape the format can hold come back from a save and a load as they
// were, converted to the system character set and back for an "edz" product. The file is
// larger than the saver's write block, so records also cross its boundary.
TEST(EtbRoundTrip, SavedEntriesLoadBackUnchanged) {
  const char* const pieces[] = {"a",   "Z",   " ", "9", "<",        "@",        ">",
                                "<@@", "@@>", "-", ".", "\xC3\xA9", "\xC3\xBC", "\xE2\x82\xAC",
                                "/",   "_"};
  const char* const files[] = {"part.znd", "a b.znd", "x.ast", "views.zna", "", "\xC3\xA9.znd"};
  ScratchDir dir;
  for (unsigned seed : {1U, 2U, 3U}) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    const auto pick = [&random](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto text = [&] {
      std::string t;
      do {
        t.clear();
        for (int n = pick(0, 6); n > 0; --n) t += pieces[pick(0, int(std::size(pieces)) - 1)];
      } while (t.find("<@@>") != std::string::npos);  // the one text no column can hold
      return t;
    };
    du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable("", "/p/model.edz");
    for (int i = 0; i < 2000; ++i) {
      EntrySpec spec;
      spec.componentId = pick(-100000, 100000);
      spec.componentName = text();
      spec.propertyName = text();
      spec.propertyValue = text();
      spec.name = text();
      spec.file = files[pick(0, int(std::size(files)) - 1)];
      spec.annotationType = pick(0, 2) == 0 ? 0 : pick(5, 14);  // no view-state or session types
      spec.accessState = pick(-99, 999);
      spec.secondState = pick(0, 1) * 2;
      spec.extraText1 = pick(0, 1) ? text() + "x" : "";
      spec.extraText2 = spec.extraText1.length() > 0 && pick(0, 1) ? "y" + text() : "";
      table->AddEntry(MakeEntry(spec));
    }
    const std::string file = dir.path() + "/round.etb";
    ASSERT_TRUE(etb::EtbWriter().SaveAnnotationTable(table, EntryPtr(), file, true, true));
    du::SmartPtr<znk::AnnoSetTable> loaded = NewAnnotationTable(file, "/p/model.edz");
    ASSERT_TRUE(LoadAnnotations(loaded).success);
    unsigned int count = 0;
    loaded->GetNumEntries(count);
    ASSERT_EQ(count, 2000U);
    for (unsigned int i = 0; i < count; ++i) {
      // Empty extra texts are not written, so they come back unset.
      const EntryPtr original = table->GetEntry(i);
      if (original->extraText1.length() == 0) original->extraText1 = du::Symbol();
      if (original->extraText2.length() == 0) original->extraText2 = du::Symbol();
      EXPECT_EQ(Describe(*loaded->GetEntry(i)), Describe(*original)) << "entry " << i;
    }
  }
}

}  // namespace
