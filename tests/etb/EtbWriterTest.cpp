#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <optional>
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

// Column 1 of every line of a saved file, then ":" and column 9 when the line has one (the
// entries here have no extra texts, so it is the last).
std::vector<std::string> SavedRecords(const std::string& path) {
  std::istringstream content(ReadFile(path));
  std::vector<std::string> records;
  for (std::string line; std::getline(content, line);) {
    std::size_t separators = 0;
    for (std::size_t at = line.find("<@@>"); at != std::string::npos;
         at = line.find("<@@>", at + 4)) {
      ++separators;
    }
    records.push_back(line.substr(0, line.find("<@@>")) +
                      (separators == 8 ? ":" + line.substr(line.rfind("<@@>") + 4) : ""));
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
  // For an ed product the default table is written in the system character set.
  const du::SmartPtr<znk::AnnoSetTable> ed = NewAnnotationTable("", "/p/model.ed");
  EntrySpec spec;
  spec.file = "\xC3\xA9.znd";
  ed->AddEntry(MakeEntry(spec));
  EXPECT_TRUE(writer.SaveDefaultAnnotationTable(ed, EntryPtr(), false, target));
  EXPECT_EQ(ReadFile(target), "0<@@><@@><@@><@@><@@>\xE9.znd<@@>0<@@>0\n");
}

// Every way a save can fail: false, exactly one message, the target as it was, and no
// temporary file left anywhere.
TEST_F(WriterTest, FailedSavesLeaveNoTraceOnDiskButTheirMessage) {
  using Op = standin::FileSystemOperation;
  const std::string missing = dir.path() + "/none/t.etb", folder = dir.path() + "/folder";
  fs::create_directory(folder);
  struct Case {
    const char* name;
    std::string target;
    bool existing;
    std::optional<Op> fault;
    rlim_t fileSizeLimit = RLIM_INFINITY;  // a full disk: no file may grow past it
  };
  const Case cases[] = {
      {"missing folder", missing, false, {}},
      {"target is a folder", folder, false, {}},
      {"no temporary file", target, true, Op::kMkTempFile},
      {"backup fails", target, true, Op::kBackupFile},
      {"copy fails", target, false, Op::kCopyFile},
      {"copy fails over a target", target, true, Op::kCopyFile},
      {"copy fails halfway", target, false, Op::kCopyWrite},
      {"backup fails halfway", target, true, Op::kCopyWrite},
      {"full disk", target, true, {}, 16},
  };
  // A write past the limit then fails with EFBIG instead of ending the process.
  const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(target);
    if (c.existing) dir.Write("saved.etb", "old content\n");
    const std::string before = ReadFile(c.target);
    if (c.fault) standin::FailFileSystem(*c.fault);
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
    EXPECT_EQ(capture.Lines()[0].text,
              c.fault == Op::kMkTempFile
                  ? "Failed to open file: " + target + ", to write annotation set table"
                  : "Failed to commit annotation set table changes: " + c.target);
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

  // A host that does not want the lines is never handed their texts.
  standin::SetTracingEnabled(false);
  standin::TakePartsStreamedWhileInactive();
  standin::FailFileSystem(Op::kMkTempFile);
  EXPECT_FALSE(writer.SaveDefaultAnnotationTable(table, EntryPtr(), false, target));
  EXPECT_FALSE(writer.SaveAnnotationTable(table, EntryPtr(), missing, true, false));
  standin::SetTracingEnabled(true);
  EXPECT_EQ(standin::TakePartsStreamedWhileInactive(), 0);
}

// Random entries of every shape the format can hold come back from a save and a load as they
// were, converted to the system character set and back for an "edz" product. The file is
// larger than the saver's write block, so records also cross its boundary. The save runs as a
// host may run it: each getter's text made for the call alone, on a thread whose stack is
// smaller than the write block.
TEST(EtbRoundTrip, SavedEntriesLoadBackUnchanged) {
  standin::SetFreshEntryTexts(true);
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
      const std::string start = pick(0, 50) == 0 ? std::string(80, 'v') : "";  // a long text
      std::string t;
      do {
        t = start;
        for (int n = pick(0, 6); n > 0; --n) t += pieces[pick(0, int(std::size(pieces)) - 1)];
      } while (t.find("<@@>") != std::string::npos);  // the one text no column can hold
      return t;
    };
    struct Save {
      du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable("", "/p/model.edz");
      std::string file;
      bool saved = false;
    } save;
    save.file = dir.path() + "/round.etb";
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
      save.table->AddEntry(MakeEntry(spec));
    }
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    // Under the sanitizers every frame is larger; the stack still stays below the 64 KiB block.
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 60 * 1024), 0);
    pthread_t thread;
    const auto run = [](void* arg) -> void* {
      Save& s = *static_cast<Save*>(arg);
      s.saved = etb::EtbWriter().SaveAnnotationTable(s.table, EntryPtr(), s.file, true, true);
      return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &save), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    ASSERT_TRUE(save.saved);
    du::SmartPtr<znk::AnnoSetTable> loaded = NewAnnotationTable(save.file, "/p/model.edz");
    ASSERT_TRUE(LoadAnnotations(loaded).success);
    unsigned int count = 0;
    loaded->GetNumEntries(count);
    ASSERT_EQ(count, 2000U);
    for (unsigned int i = 0; i < count; ++i) {
      // Empty extra texts are not written, so they come back unset.
      const EntryPtr original = save.table->GetEntry(i);
      if (original->extraText1.length() == 0) original->extraText1 = du::Symbol();
      if (original->extraText2.length() == 0) original->extraText2 = du::Symbol();
      EXPECT_EQ(Describe(*loaded->GetEntry(i)), Describe(*original)) << "entry " << i;
    }
  }
}

}  // namespace
