#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "Fifo.h"
#include "ScratchDir.h"
#include "du/FileSystem.h"
#include "du/SmartPtr.h"
#include "standin/Fetch.h"
#include "znloader/FileParser.h"

namespace {

using testing_support::DoneWithoutAWriter;
using testing_support::ReadFile;
using testing_support::ScratchDir;

struct Completion {
  int status;
  std::string path;
  std::string content;  // of the local file at that moment
};

// Records its completions where the test can still read them after the parser is gone.
class RecordingParser : public znloader::FileParser {
 public:
  explicit RecordingParser(std::vector<Completion>* completions) : completions_(completions) {}
  bool OnProgress(unsigned long long /*requestId*/, unsigned char /*progress*/) override {
    return true;
  }
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override {
    du::Symbol path;
    const bool known = GetAsyncFileName(requestId, path);
    completions_->push_back({status, path.safe_c_str(), known ? ReadFile(path.c_str()) : ""});
  }

 private:
  std::vector<Completion>* completions_;
};

TEST(FetchService, DeliversACachedCopyWhenTheHostPumps) {
  ScratchDir dir;
  const std::string source = dir.Write("my file.etb", "payload");
  standin::TakeFetchFailures();
  std::vector<Completion> done;
  du::SmartPtr<RecordingParser> parser(new RecordingParser(&done));
  const unsigned long long first = parser->GetFile("file://" + source, false, du::Symbol::EMPTY);
  const std::string fifo = dir.path() + "/fifo.etb";
  // The pump too: a FIFO let into the cache would hold whoever reads the delivered copy.
  const auto fetchAll = [&] {
    for (const std::string& url :
         {source, dir.path() + "/none", dir.path(), std::string("https://host/x"), fifo}) {
      parser->GetFile(url, false, du::Symbol::EMPTY);
    }
    EXPECT_TRUE(done.empty()) << "nothing before the pump";
    EXPECT_EQ(standin::PumpFetches(), 6U);
  };
  EXPECT_TRUE(DoneWithoutAWriter(fifo, fetchAll)) << "the fetch waited for a writer";
  ASSERT_EQ(done.size(), 6U);
  const std::string cache = du::FileSystem::GetTempDir(true) + "/fetch-cache/";
  for (const Completion& delivered : {done[0], done[1]}) {
    EXPECT_EQ(delivered.status, 0);
    EXPECT_EQ(delivered.content, "payload");
    EXPECT_EQ(delivered.path.rfind(cache, 0), 0U) << "a copy, never the source";
    EXPECT_EQ(ReadFile(delivered.path), "<missing>") << "dropped once delivered";
  }
  for (const Completion& failed : {done[2], done[3], done[4], done[5]}) {
    EXPECT_EQ(failed.status, 1);
  }
  EXPECT_EQ(standin::TakeFetchFailures(),
            (std::vector<std::string>{
                dir.path() + "/none: no such file", dir.path() + ": is a directory",
                "https://host/x: not a local file", fifo + ": not a regular file (a FIFO)"}));
  du::Symbol copy;
  EXPECT_FALSE(parser->GetAsyncFileName(first, copy)) << "forgotten once delivered";
  EXPECT_EQ(ReadFile(source), "payload");

  // A cancelled request calls nobody and leaves no copy behind.
  ASSERT_TRUE(parser->GetAsyncFileName(parser->GetFile(source, false, du::Symbol::EMPTY), copy));
  EXPECT_EQ(standin::CancelFetches(), 1U);
  EXPECT_EQ(done.size(), 6U);
  EXPECT_EQ(ReadFile(copy.c_str()), "<missing>");
}

// A folder on another file system than the host's cache, where a fetch has to copy the bytes;
// "" when the machine has none.
std::string FolderElsewhere() {
  struct stat shm {};
  struct stat cache {};
  const bool apart = ::stat("/dev/shm", &shm) == 0 &&
                     ::stat(du::FileSystem::GetTempDir(true).c_str(), &cache) == 0 &&
                     shm.st_dev != cache.st_dev;
  return apart ? "/dev/shm" : "";
}

// A saver replaces a file by renaming a new one over it; what was fetched before stays what the
// source held then, whether the cache has a second name for the file or a copy of it, and
// whether the source was named directly or through a relative symbolic link.
TEST(FetchService, WhatWasFetchedOutlivesTheSourcesReplacement) {
  ScratchDir here;
  ScratchDir elsewhere(FolderElsewhere());
  for (const ScratchDir* dir : {&here, &elsewhere}) {
    for (const char* named : {"table.etb", "link.etb"}) {
      const std::string source = dir->Write("table.etb", "old");
      ::symlink("table.etb", (dir->path() + "/link.etb").c_str());
      std::vector<Completion> done;
      du::SmartPtr<RecordingParser> parser(new RecordingParser(&done));
      parser->GetFile(dir->path() + "/" + named, false, du::Symbol::EMPTY);
      ASSERT_EQ(::rename(dir->Write("new.etb", "new").c_str(), source.c_str()), 0);
      standin::PumpFetches();
      ASSERT_EQ(done.size(), 1U);
      EXPECT_EQ(done[0].content, "old") << dir->path() << "/" << named;
      EXPECT_EQ(ReadFile(source), "new");
    }
  }
}

// Hosts run timers: a signal that arrives while a file is copied must not fail the fetch. The
// host may also drop the parser with requests out, and pump on another thread.
TEST(FetchService, FetchesSurviveSignalsAndAParserTheHostDropped) {
  if (FolderElsewhere().empty()) GTEST_SKIP() << "no second file system to copy from";
  ScratchDir dir(FolderElsewhere());
  const std::string content(std::size_t{4} << 20, 'x');
  const std::string source = dir.Write("big.etb", content);
  struct sigaction interrupting {};
  interrupting.sa_handler = [](int) {};  // no SA_RESTART: interrupted calls fail with EINTR
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGALRM, &interrupting, &previous), 0);
  const itimerval every20us{{0, 20}, {0, 20}};
  ASSERT_EQ(::setitimer(ITIMER_REAL, &every20us, nullptr), 0);
  std::vector<Completion> done;
  {
    du::SmartPtr<RecordingParser> parser(new RecordingParser(&done));
    for (int i = 0; i < 10; ++i) parser->GetFile(source, false, du::Symbol::EMPTY);
  }
  const itimerval stop{};
  ::setitimer(ITIMER_REAL, &stop, nullptr);
  ::sigaction(SIGALRM, &previous, nullptr);

  std::thread([] { standin::PumpFetches(); }).join();
  ASSERT_EQ(done.size(), 10U);
  for (const Completion& completion : done) {
    EXPECT_EQ(completion.status, 0);
    EXPECT_TRUE(completion.content == content);
  }
}

}  // namespace
