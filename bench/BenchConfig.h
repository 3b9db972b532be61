#pragma once

#include <benchmark/benchmark.h>

namespace etbbench {

// Five runs, medians reported: the median holds up against a busy neighbour on a small machine.
// Loads and saves of a million records take a second or more each, so one per run is enough;
// shorter work gets three per run.
inline void FiveRunsOf(benchmark::internal::Benchmark* benchmark, int iterations) {
  benchmark->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

inline void FiveRunsOfOne(benchmark::internal::Benchmark* benchmark) { FiveRunsOf(benchmark, 1); }

inline void FiveRunsOfThree(benchmark::internal::Benchmark* benchmark) { FiveRunsOf(benchmark, 3); }

// The same for work whose timed part the benchmark measures itself (SetIterationTime): a phase
// inside a call that cannot be paused.
inline void FiveManuallyTimedRunsOfOne(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

}  // namespace etbbench
