#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// The wall time of a command's phases, for --stats. Every moment from the start of the process
// belongs to exactly one phase, so the phases add up to the command's wall time.
namespace etbtool {

class PhaseStats {
 public:
  // The one clock of the process; the first phase, "module load", starts with the first call.
  static PhaseStats& Get();

  // Ends the current phase and starts `name` (time adds up when a phase comes back).
  void Start(const std::string& name);
  // The bytes and records of the main phase `name`, printed with its rate.
  void SetVolume(const std::string& name, std::uint64_t bytes, std::uint64_t records);

  // One line per phase that took place, in the order they first started, then the total:
  //   stats: PHASE SECONDS s [BYTES bytes RECORDS records MB/S MB/s]
  void Print(std::ostream& out);

 private:
  using Clock = std::chrono::steady_clock;
  struct Phase {
    std::string name;
    double seconds = 0;
    std::uint64_t bytes = 0;
    std::uint64_t records = 0;
    bool hasVolume = false;
  };

  PhaseStats();
  Phase& Named(const std::string& name);
  void EndCurrent();

  Clock::time_point began_;
  Clock::time_point currentSince_;
  std::size_t current_ = 0;
  std::vector<Phase> phases_;
};

}  // namespace etbtool
