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

ProgressLine::ProgressLine(Work work, std::uint64_t total, const TableCount* count)
    : work_(work),
      total_(total),
      count_(count),
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
  static const char* const kVerbs[] = {"loading", "saving", "importing", "exporting"};
  const bool table = count_ != nullptr;
  const std::uint64_t records = table ? count_->rows.load() : RecordsSoFar(work_) - firstRecords_;
  std::uint64_t done = records;
  if (work_ == Work::kLoad) done = standin::BytesReadFromFiles() - firstBytes_;
  if (work_ == Work::kImport && table) done = count_->bytes.load();
  const double percent = total_ > 0 ? 100.0 * double(done) / double(total_) : 0;
  std::fprintf(stderr, "\retbtool: %s %llu %s, %.0f%%", kVerbs[int(work_)],
               static_cast<unsigned long long>(records), table ? "rows" : "records",
               percent > 100 ? 100 : percent);
  std::fflush(stderr);
  shown_ = true;
}

}  // namespace etbtool
