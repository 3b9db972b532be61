#pragma once

#include <benchmark/benchmark.h>

namespace etbbench {

// Whole loads or saves are long: three timed iterations per run, five runs, medians reported.
inline void FiveRunsOfThree(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

}  // namespace etbbench
