#include <gtest/gtest.h>
#include <sys/time.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "ScratchDir.h"
#include "du/FileSystem.h"
#include "du/SmartPtr.h"
#include "standin/Fetch.h"
#include "znloader/FileParser.h"

namespace {

using testing_support::ScratchDir;

// Records the completions it is given and the local file's content at that moment.
class RecordingParser : public znloader::FileParser {
 public:
  bool OnProgress(std::uint64_t /*requestId*/, unsigned char /*progress*/) override { return true; }
  void OnComplete(std::uint64_t requestId, znk::BaseAsyncEvent::EventStatus status) override {
    du::Symbol path;
    const bool known = GetAsyncFileName(requestId, path);
    std::ostringstream content;
    if (known) content << std::ifstream(path.c_str()).rdbuf();
    completions.push_back({requestId, status, known ? path.c_str() : "", content.str()});
  }
  struct Completion {
    std::uint64_t id;
    int status;
    std::string path;
    std::string content;
  };
  std::vector<Completion> completions;
};

TEST(FetchService, DeliversACachedCopyWhenTheHostPumps) {
  ScratchDir dir;
  const std::string source = dir.Write("my file.etb", "payload");
  standin::TakeFetchFailures();
  du::SmartPtr<RecordingParser> parser(new RecordingParser);
  const std::uint64_t first = parser->GetFile("file://" + source, false, du::Symbol::EMPTY);
  const std::uint64_t second = parser->GetFile(source, false, du::Symbol::EMPTY);
  const std::uint64_t missing = parser->GetFile(dir.path() + "/none", false, du::Symbol::EMPTY);
  const std::uint64_t folder = parser->GetFile(dir.path(), false, du::Symbol::EMPTY);
  const std::uint64_t remote = parser->GetFile("https://host/x", false, du::Symbol::EMPTY);
  EXPECT_EQ(parser->GetReferenceCount(), 6) << "every request holds the parser";
  EXPECT_TRUE(parser->completions.empty()) << "nothing before the pump";
  EXPECT_EQ(standin::PendingFetches(),
            (std::vector<std::uint64_t>{first, second, missing, folder, remote}));

  EXPECT_EQ(standin::PumpFetches(), 5U);
  ASSERT_EQ(parser->completions.size(), 5U);
  const std::string cache = du::FileSystem::GetTempDir(true) + "/fetch-cache/";
  for (int i : {0, 1}) {
    EXPECT_EQ(parser->completions[i].status, 0);
    EXPECT_EQ(parser->completions[i].content, "payload");
    EXPECT_EQ(parser->completions[i].path.rfind(cache, 0), 0U) << "a copy, never the source";
  }
  for (int i : {2, 3, 4}) {
    EXPECT_EQ(parser->completions[i].status, 1);
    EXPECT_EQ(parser->completions[i].path, "");
  }
  // The host can say why, in a user's words.
  EXPECT_EQ(
      standin::TakeFetchFailures(),
      (std::vector<std::string>{dir.path() + "/none: no such file", dir.path() + ": is a directory",
                                "https://host/x: not a local file"}));
  du::Symbol gone;
  EXPECT_FALSE(parser->GetAsyncFileName(first, gone)) << "forgotten once delivered";
  EXPECT_FALSE(std::ifstream(parser->completions[0].path).good()) << "the copy is dropped";
  EXPECT_TRUE(std::ifstream(source).good()) << "the source is left alone";
  EXPECT_EQ(parser->GetReferenceCount(), 1);
}

// Hosts run timers: a signal that arrives while a file is copied must not fail the fetch.
TEST(FetchService, FetchesSurviveSignalsThatInterruptTheCopy) {
  ScratchDir dir;
  const std::string source = dir.Write("big.etb", std::string(std::size_t{4} << 20, 'x'));
  struct sigaction interrupting {};
  interrupting.sa_handler = [](int) {};  // no SA_RESTART: interrupted calls fail with EINTR
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGALRM, &interrupting, &previous), 0);
  const itimerval every20us{{0, 20}, {0, 20}};
  ASSERT_EQ(::setitimer(ITIMER_REAL, &every20us, nullptr), 0);

  du::SmartPtr<RecordingParser> parser(new RecordingParser);
  constexpr int kFetches = 10;
  for (int i = 0; i < kFetches; ++i) parser->GetFile(source, false, du::Symbol::EMPTY);
  const itimerval stop{};
  ::setitimer(ITIMER_REAL, &stop, nullptr);
  ::sigaction(SIGALRM, &previous, nullptr);

  EXPECT_EQ(standin::PumpFetches(), std::size_t{kFetches});
  ASSERT_EQ(parser->completions.size(), std::size_t{kFetches});
  for (const RecordingParser::Completion& completion : parser->completions) {
    EXPECT_EQ(completion.status, 0);
    EXPECT_EQ(completion.content.size(), std::size_t{4} << 20);
  }
}

TEST(FetchService, RequestsCanBeCompletedByHandOrCancelled) {
  ScratchDir dir;
  const std::string source = dir.Write("a.etb", "x");
  du::SmartPtr<RecordingParser> parser(new RecordingParser);
  const std::uint64_t id = parser->GetFile(source, false, du::Symbol::EMPTY);
  parser->GetFile(source, false, du::Symbol::EMPTY);
  EXPECT_TRUE(standin::CompleteFetch(id, znk::BaseAsyncEvent::EVENT_CANCELLED));
  EXPECT_FALSE(standin::CompleteFetch(id, znk::BaseAsyncEvent::EVENT_DELIVERED)) << "once only";
  ASSERT_EQ(parser->completions.size(), 1U);
  EXPECT_EQ(parser->completions[0].status, 2);
  EXPECT_EQ(parser->completions[0].content, "x");

  du::Symbol copy;
  ASSERT_TRUE(parser->GetAsyncFileName(standin::PendingFetches().at(0), copy));
  EXPECT_EQ(standin::CancelFetches(), 1U);
  EXPECT_EQ(parser->completions.size(), 1U) << "cancelled requests call nobody";
  EXPECT_FALSE(std::ifstream(copy.c_str()).good()) << "and leave no copy behind";
  EXPECT_EQ(parser->GetReferenceCount(), 1);
}

TEST(FetchService, APumpOnAnotherThreadKeepsAParserTheHostDroppedAlive) {
  ScratchDir dir;
  const std::string source = dir.Write("a.etb", "x");
  bool completed = false;
  struct Flagging : RecordingParser {
    bool* flag = nullptr;
    void OnComplete(std::uint64_t, znk::BaseAsyncEvent::EventStatus) override { *flag = true; }
  };
  {
    du::SmartPtr<Flagging> parser(new Flagging);
    parser->flag = &completed;
    parser->GetFile(source, false, du::Symbol::EMPTY);
  }
  std::thread pump([] { standin::PumpFetches(); });
  pump.join();
  EXPECT_TRUE(completed);
}

}  // namespace
