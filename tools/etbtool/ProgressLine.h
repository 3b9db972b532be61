#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// On a terminal, a line on stderr that follows a load or save running longer than a second: the
// records so far and how far through the file (a load) or the table (a save) it is. Nothing at
// all when stderr is not a terminal. ETBTOOL_PROGRESS_AFTER_MS changes the second (tests).
namespace etbtool {

class ProgressLine {
 public:
  enum class Work { kLoad, kSave };

  // `total`: the file's bytes for a load, the table's entries for a save.
  ProgressLine(Work work, std::uint64_t total);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  // Stops following and clears the line.
  ~ProgressLine();

 private:
  void Follow();
  void Show();

  Work work_;
  std::uint64_t total_;
  std::uint64_t firstBytes_;
  std::uint64_t firstRecords_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  bool shown_ = false;
  std::thread thread_;
};

}  // namespace etbtool
