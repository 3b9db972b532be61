// The loader's protocol with the host: fetch, completion, session state, and what the event
// hears in every state.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "EtbFiles.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostLoad.h"
#include "standin/LineFaults.h"
#include "standin/RecordingEvent.h"
#include "znk/Structure.h"

namespace {

using standin::NewAnnotationTable;
using testing_support::DescribeEntries;
using testing_support::Etb;
using testing_support::LoadAnnotations;
using testing_support::ScratchDir;
using Outcome = standin::RecordingEvent::Outcome;

const std::string kRecord = Etb("1|a|b|c|d|f|0\n");

struct LoaderTest : testing::Test {
  ScratchDir dir;
  du::SmartPtr<etb::Parser> parser{new etb::Parser};
  standin::RecordingEvent event;
};

// Without a file to get, and when its fetch fails, a load reports once and lets the table go.
TEST_F(LoaderTest, ALoadWithoutAFileToGetFails) {
  const du::SmartPtr<znk::AnnoSetTable> cases[] = {
      {},
      du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable),
      NewAnnotationTable(""),
      NewAnnotationTable(dir.path() + "/missing.etb"),
      NewAnnotationTable(dir.path())};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    standin::RecordingEvent caseEvent;
    parser->LoadAnnotationTable(cases[i], &caseEvent);
    EXPECT_EQ(standin::PumpFetches(), i >= 3 ? 1U : 0U) << "only a named file is fetched";
    EXPECT_EQ(caseEvent.reportCount(), 1);
    EXPECT_EQ(caseEvent.outcome(), Outcome::kFailure);
    EXPECT_EQ(caseEvent.message(), "Failed to get etb file");
    EXPECT_EQ(caseEvent.code(), 1);
    if (i == 0) continue;
    EXPECT_EQ(cases[i]->GetReferenceCount(), 1) << "the parser let go";
  }
  parser->LoadAnnotationTable({}, nullptr);  // nobody to tell
}

TEST_F(LoaderTest, OnlyADeliveryParsesAndItNeedsNoEvent) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("a.etb", kRecord));
  parser->LoadAnnotationTable(table, &event);
  parser->OnComplete(99, znk::BaseAsyncEvent::EVENT_CANCELLED);
  parser->OnComplete(99, znk::BaseAsyncEvent::EventStatus(7));
  EXPECT_EQ(event.reportCount(), 0);
  EXPECT_EQ(standin::PumpFetches(), 1U);
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
  EXPECT_EQ(event.reportCount(), 1);
  EXPECT_EQ(DescribeEntries(*table).size(), 1U);
  EXPECT_EQ(table->GetReferenceCount(), 1);

  table = NewAnnotationTable(dir.Write("b.etb", kRecord));
  parser->LoadAnnotationTable(table, nullptr);  // without an event the table is still filled
  parser.Reset();                               // the outstanding fetch keeps the parser alive
  EXPECT_EQ(standin::PumpFetches(), 1U);
  EXPECT_EQ(DescribeEntries(*table).size(), 1U);
}

TEST_F(LoaderTest, ALateCompletionFindsTheParserIdle) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("a.etb", kRecord));
  parser->LoadAnnotationTable(table, &event);
  standin::RecordingEvent sessionEvent;
  parser->LoadSessionState(table, &sessionEvent);  // no session file: fails and ends idle
  EXPECT_EQ(sessionEvent.message(), "Failed to get session state file");
  EXPECT_EQ(standin::PumpFetches(), 1U);
  EXPECT_EQ(event.reportCount(), 0);
  EXPECT_EQ(sessionEvent.reportCount(), 1);
  EXPECT_TRUE(table->IsEmpty());
}

TEST_F(LoaderTest, AFileThatCannotBeOpenedIsTracedAndFailsTheParse) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("a.etb", kRecord));
  standin::TraceCapture capture;
  parser->LoadAnnotationTable(table, &event);
  du::Symbol cached;
  ASSERT_TRUE(parser->GetAsyncFileName(standin::PendingFetches().at(0), cached));
  ASSERT_EQ(::unlink(cached.c_str()), 0);
  standin::PumpFetches();
  EXPECT_EQ(event.message(), "Failed to parse etb file");
  ASSERT_EQ(capture.Lines().size(), 1U);
  EXPECT_EQ(capture.Lines()[0].tracer, "etb::Parser");
  EXPECT_EQ(capture.Lines()[0].type, 2);
  EXPECT_EQ(capture.Lines()[0].text, std::string("Failed to open file: ") + cached.c_str());
}

TEST_F(LoaderTest, AReadErrorKeepsTheEntriesReadBeforeIt) {
  struct LineFault {
    explicit LineFault(long n) { standin::ThrowOnLine(n); }
    ~LineFault() { standin::ThrowOnLine(0); }
  } fault(3);
  du::SmartPtr<znk::AnnoSetTable> table =
      NewAnnotationTable(dir.Write("a.etb", kRecord + kRecord + kRecord));
  const testing_support::LoadOutcome outcome = LoadAnnotations(table);
  EXPECT_EQ(outcome.message, "Failed to parse etb file");
  EXPECT_EQ(DescribeEntries(*table).size(), 2U);
}

TEST_F(LoaderTest, ATableWithEntriesIsOnlyReadIntoForASession) {
  const std::string file = dir.Write("a.etb", kRecord);
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(file);
  ASSERT_TRUE(LoadAnnotations(table).success);

  testing_support::LoadOutcome again = LoadAnnotations(table);
  EXPECT_EQ(again.message, "Failed to parse etb file");
  EXPECT_TRUE(again.traces.empty()) << "the file is not even opened";
  EXPECT_EQ(DescribeEntries(*table).size(), 1U);

  table->GetStructure()->SetSessionStateURL("file:///session.zip");
  EXPECT_TRUE(LoadAnnotations(table).success);
  EXPECT_EQ(DescribeEntries(*table).size(), 2U);
}

TEST_F(LoaderTest, SessionStateEntriesGoToTheStructure) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable("");
  du::SmartPtr<znk::Structure> structure = table->GetStructure();
  structure->SetSessionStateEtbFileName(
      dir.Write("s.etb", Etb("1|a|b|c|d|f|0|0 note|0|x1\n2|a|b|c|d|v.ast|15\n")));
  structure->SetSessionStateAstFileName("/tmp/s.ast");
  parser->LoadSessionState(table, &event);
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
  EXPECT_TRUE(standin::PendingFetches().empty()) << "read in place, never fetched";
  EXPECT_TRUE(table->IsEmpty());
  const du::SmartPtr<znk::AnnoSetTableEntry>& entry = structure->GetSessionStateAnnoEntry();
  ASSERT_FALSE(entry.IsNull());
  // The last record wins; session entries are type 16 and carry neither comment nor extras.
  EXPECT_EQ(testing_support::Describe(*entry), "2|a|b|c|d|v.znd|16|0|0|-|-|-");
  EXPECT_STREQ(entry->sessionAstFile.c_str(), "/tmp/s.ast");
  EXPECT_FALSE(entry->isPreference);
  EXPECT_EQ(table->GetReferenceCount(), 1);
}

TEST_F(LoaderTest, SessionStateWithoutAReadableFileFails) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable("");
  standin::TraceCapture capture;
  parser->LoadSessionState(table, &event);
  EXPECT_EQ(event.message(), "Failed to get session state file");
  EXPECT_TRUE(capture.Lines().empty()) << "no name, no attempt";

  table->GetStructure()->SetSessionStateEtbFileName(dir.path() + "/missing.etb");
  standin::RecordingEvent second;
  parser->LoadSessionState(table, &second);
  EXPECT_EQ(second.message(), "Failed to get session state file");
  ASSERT_EQ(capture.Lines().size(), 1U);
  EXPECT_EQ(capture.Lines()[0].text, "Failed to open file: " + dir.path() + "/missing.etb");
  parser->LoadSessionState(du::SmartPtr<znk::AnnoSetTable>(), nullptr);
}

TEST_F(LoaderTest, ACopyOfALoadingParserHasItsOwnReader) {
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("a.etb", kRecord));
  parser->LoadAnnotationTable(table, &event);
  {
    // A copy's reader is its own: ASan would see two parsers delete one.
    etb::Parser copy(*parser);
    etb::Parser assigned;
    assigned = copy;
    assigned = assigned;
  }
  standin::PumpFetches();
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
}

// A host that delivers completions on a thread of its own while its main thread starts more
// loads: every load ends in its table, reported once (ThreadSanitizer checks the sharing).
TEST(LoaderThreads, CompletionsArriveOnAHostThread) {
  ScratchDir dir;
  const std::string file = dir.Write("a.etb", kRecord + kRecord);
  constexpr int kLoads = 40;
  std::vector<du::SmartPtr<znk::AnnoSetTable>> tables;
  std::vector<standin::RecordingEvent> events(kLoads);
  for (int i = 0; i < kLoads; ++i) tables.push_back(NewAnnotationTable(file));
  std::atomic<bool> started{false};
  std::atomic<int> delivered{0};
  std::thread host([&] {
    while (!started.load() || delivered.load() < kLoads) {
      delivered += int(standin::PumpFetches());
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < kLoads; ++i) {
    du::SmartPtr<etb::Parser> parser(new etb::Parser);
    parser->LoadAnnotationTable(tables[i], &events[i]);
    started = true;
  }
  host.join();
  for (int i = 0; i < kLoads; ++i) {
    EXPECT_EQ(events[i].outcome(), Outcome::kSuccess);
    EXPECT_EQ(events[i].reportCount(), 1);
    EXPECT_EQ(DescribeEntries(*tables[i]).size(), 2U);
  }
}

}  // namespace
