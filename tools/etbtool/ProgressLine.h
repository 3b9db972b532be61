#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// On a terminal, a line on stderr that follows a load, save, import or export running longer than
// a second: the records so far and how far through the file (a load, an import) or the table (a
// save, an export) it is. Nothing at all when stderr is not a terminal. ETBTOOL_PROGRESS_AFTER_MS
// changes the second (tests).
namespace etbtool {

// The rows an import read (and the bytes they took) or an export wrote, as the work goes.
struct TableCount {
  std::atomic<std::uint64_t> rows{0};
  std::atomic<std::uint64_t> bytes{0};
};

class ProgressLine {
 public:
  enum class Work { kLoad, kSave, kImport, kExport };

  // `total`: the file's bytes for a load or an import, the table's entries for a save or an
  // export; `count` is what an import or export counts.
  ProgressLine(Work work, std::uint64_t total, const TableCount* count = nullptr);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  // Stops following and clears the line.
  ~ProgressLine();

 private:
  void Follow();
  void Show();

  Work work_;
  std::uint64_t total_;
  const TableCount* count_;
  std::uint64_t firstBytes_;
  std::uint64_t firstRecords_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  bool shown_ = false;
  std::thread thread_;
};

}  // namespace etbtool
