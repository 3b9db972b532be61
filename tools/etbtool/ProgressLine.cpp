#include "ProgressLine.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "standin/Progress.h"

namespace etbtool {

namespace {

std::uint64_t RecordsSoFar(ProgressLine::Work work) {
  return work == ProgressLine::Work::kLoad ? standin::EntriesMade() : standin::EntriesHandedOut();
}

std::chrono::milliseconds Delay() {
  const char* configured = std::getenv("ETBTOOL_PROGRESS_AFTER_MS");
  return std::chrono::milliseconds(configured != nullptr ? std::atol(configured) : 1000);
}

}  // namespace

ProgressLine::ProgressLine(Work work, std::uint64_t total)
    : work_(work),
      total_(total),
      firstBytes_(standin::BytesReadFromFiles()),
      firstRecords_(RecordsSoFar(work)) {
  if (::isatty(STDERR_FILENO) == 1) thread_ = std::thread([this] { Follow(); });
}

ProgressLine::~ProgressLine() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_one();
  thread_.join();
  if (shown_) std::fputs("\r\033[K", stderr);
}

void ProgressLine::Follow() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stop_.wait_for(lock, Delay(), [this] { return stopping_; })) return;
  do {
    Show();
  } while (!stop_.wait_for(lock, std::chrono::milliseconds(200), [this] { return stopping_; }));
}

void ProgressLine::Show() {
  const std::uint64_t records = RecordsSoFar(work_) - firstRecords_;
  const std::uint64_t done =
      work_ == Work::kLoad ? standin::BytesReadFromFiles() - firstBytes_ : records;
  const double percent = total_ > 0 ? 100.0 * double(done) / double(total_) : 0;
  std::fprintf(stderr, "\retbtool: %s %llu records, %.0f%%",
               work_ == Work::kLoad ? "loading" : "saving",
               static_cast<unsigned long long>(records), percent > 100 ? 100 : percent);
  std::fflush(stderr);
  shown_ = true;
}

}  // namespace etbtool
