#include "PhaseStats.h"

#include <cstdio>

namespace etbtool {

PhaseStats& PhaseStats::Get() {
  static PhaseStats stats;
  return stats;
}

PhaseStats::PhaseStats()
    : began_(Clock::now()), currentSince_(began_), phases_{Phase{"module load"}} {}

PhaseStats::Phase& PhaseStats::Named(const std::string& name) {
  for (Phase& phase : phases_) {
    if (phase.name == name) return phase;
  }
  phases_.push_back(Phase{name});
  return phases_.back();
}

void PhaseStats::EndCurrent() {
  const Clock::time_point now = Clock::now();
  phases_[current_].seconds += std::chrono::duration<double>(now - currentSince_).count();
  currentSince_ = now;
}

void PhaseStats::Start(const std::string& name) {
  EndCurrent();
  Phase& phase = Named(name);
  current_ = std::size_t(&phase - phases_.data());
}

void PhaseStats::SetVolume(const std::string& name, std::uint64_t bytes, std::uint64_t records) {
  Phase& phase = Named(name);
  phase.bytes = bytes;
  phase.records = records;
  phase.hasVolume = true;
}

void PhaseStats::Print(std::ostream& out) {
  EndCurrent();
  char line[160];
  for (const Phase& phase : phases_) {
    int used =
        std::snprintf(line, sizeof line, "stats: %s %.3f s", phase.name.c_str(), phase.seconds);
    if (phase.hasVolume && used > 0 && std::size_t(used) < sizeof line) {
      const double rate = phase.seconds > 0 ? double(phase.bytes) / 1e6 / phase.seconds : 0;
      std::snprintf(line + used, sizeof line - std::size_t(used),
                    " %llu bytes %llu records %.1f MB/s",
                    static_cast<unsigned long long>(phase.bytes),
                    static_cast<unsigned long long>(phase.records), rate);
    }
    out << line << '\n';
  }
  std::snprintf(line, sizeof line, "stats: total %.3f s",
                std::chrono::duration<double>(Clock::now() - began_).count());
  out << line << '\n';
}

}  // namespace etbtool
