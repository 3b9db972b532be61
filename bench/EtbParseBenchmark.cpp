// Load throughput of the ETB loader on a generated table of a million records, against a baseline
// written the obvious way with the standard library (NaiveParse), and on a tenth of the records.
// Each iteration loads the whole file; what follows the load (checking it, releasing the million
// entries, deleting the host's copy) is outside the timing, and BM_ModuleTeardown times that
// release alone. ETB_BENCH_RECORDS overrides the record count, e.g. for profiling, and
// ETB_BENCH_CORPUS the corpus (EtbGenerator.h).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchConfig.h"
#include "EtbGenerator.h"
#include "HostRoad.h"
#include "NaiveParse.h"
#include "du/SmartPtr.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string path;
  etbbench::GeneratedFile file;
  bool ok = false;
};

std::string* scratch = nullptr;
std::map<std::size_t, Input>* inputs = nullptr;

void RemoveInputs() {
  std::error_code ignored;
  if (scratch != nullptr) fs::remove_all(*scratch, ignored);
  standin::RemoveHostTempDir();
}

// A generated table of `records` records, written on first use and kept for all benchmarks.
const Input& InputOf(std::size_t records) {
  if (inputs == nullptr) {
    scratch = new std::string(etbbench::MakeScratchFolder("etb-bench"));
    inputs = new std::map<std::size_t, Input>;
    std::atexit(RemoveInputs);
  }
  const auto found = inputs->find(records);
  if (found != inputs->end()) return found->second;
  Input& input = (*inputs)[records];
  if (scratch->empty()) return input;
  input.path = *scratch + "/table-" + std::to_string(records) + ".etb";
  input.file = etbbench::WriteRecords(input.path, records, input.ok, etbbench::ConfiguredCorpus());
  return input;
}

const Input& TheInput() { return InputOf(etbbench::RecordCount()); }

void SetCounters(benchmark::State& state, const etbbench::GeneratedFile& file) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.bytes));
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(file.records));
  state.counters["records"] = double(file.records);
}

// Checks a finished load outside the timing; false (with the benchmark marked failed) when the
// load reported a failure or made the wrong number of entries. After a failure the caller leaves
// the loop with the timer paused: the library refuses to resume a timer once an error is set.
bool LoadWasComplete(benchmark::State& state, const standin::LoadOutcome& outcome,
                     const du::SmartPtr<znk::AnnoSetTable>& table, std::uint64_t entries) {
  unsigned int made = 0;
  table->GetNumEntries(made);
  if (!outcome.succeeded()) {
    state.SkipWithError(("load failed: " + outcome.message).c_str());
    return false;
  }
  if (made != entries) {
    state.SkipWithError(
        ("entries made: " + std::to_string(made) + ", expected " + std::to_string(entries))
            .c_str());
    return false;
  }
  return true;
}

// After a load on the fetch road, outside the timing: checks it, drops the table and the host's
// copy. Resumes the timer only when the load was complete; the caller leaves its loop otherwise.
bool FinishFetchedLoad(benchmark::State& state, const standin::LoadOutcome& outcome,
                       du::SmartPtr<znk::AnnoSetTable>& table, std::uint64_t entries) {
  state.PauseTiming();
  const bool complete = LoadWasComplete(state, outcome, table, entries);
  table.Reset();
  etbbench::RemoveFetchedCopies();
  if (complete) state.ResumeTiming();
  return complete;
}

// (a) The host road: the table names the file, the host fetches it (a copy into its cache) and
// the parser reads the copy into the table.
void BM_ModuleParse(benchmark::State& state) {
  const Input& input = TheInput();
  if (!input.ok) return state.SkipWithError("cannot write the input file");
  for ([[maybe_unused]] auto _ : state) {
    du::SmartPtr<znk::AnnoSetTable> table = etbbench::FetchedTable(input.path);
    const standin::LoadOutcome outcome = etbbench::LoadWithNewParser(table);
    if (!FinishFetchedLoad(state, outcome, table, input.file.records)) break;
  }
  SetCounters(state, input.file);
}

// (a2) The session-state road: the file is parsed where it lies, without the copy. Entries are
// made the same way but each replaces the last as the structure's session entry.
void BM_ModuleParseInPlace(benchmark::State& state) {
  const Input& input = TheInput();
  if (!input.ok) return state.SkipWithError("cannot write the input file");
  for ([[maybe_unused]] auto _ : state) {
    du::SmartPtr<znk::AnnoSetTable> table = etbbench::SessionStateTable(input.path);
    standin::RecordingEvent event;
    {
      du::SmartPtr<etb::Parser> parser(new etb::Parser);
      parser->LoadSessionState(table, &event);
    }
    state.PauseTiming();
    const standin::LoadOutcome outcome{event.outcome(), event.message(), event.reportCount()};
    const bool complete = LoadWasComplete(state, outcome, table, 0) &&
                          !table->GetStructure()->GetSessionStateAnnoEntry().IsNull();
    table.Reset();
    if (!complete) break;
    state.ResumeTiming();
  }
  SetCounters(state, input.file);
}

// (a3) The host road with the fetch (the copy) outside the timing: only the delivery, which
// parses the fetched file into the table, is timed. The same work as the baseline does.
void ParseFetched(benchmark::State& state, const Input& input) {
  if (!input.ok) return state.SkipWithError("cannot write the input file");
  for ([[maybe_unused]] auto _ : state) {
    state.PauseTiming();
    du::SmartPtr<znk::AnnoSetTable> table = etbbench::FetchedTable(input.path);
    const standin::LoadOutcome outcome =
        etbbench::LoadWithNewParser(table, [&] { state.ResumeTiming(); });
    if (!FinishFetchedLoad(state, outcome, table, input.file.records)) break;
  }
  SetCounters(state, input.file);
}

void BM_ModuleParseFetched(benchmark::State& state) { ParseFetched(state, TheInput()); }

// The same with a tenth of the records: the cost should grow linearly with the table.
void BM_ModuleParseFetchedTenth(benchmark::State& state) {
  ParseFetched(state, InputOf(etbbench::RecordCount() / 10));
}

// The release of a loaded table of a million entries, alone: the end of every load's life.
void BM_ModuleTeardown(benchmark::State& state) {
  const Input& input = TheInput();
  if (!input.ok) return state.SkipWithError("cannot write the input file");
  for ([[maybe_unused]] auto _ : state) {
    state.PauseTiming();
    du::SmartPtr<znk::AnnoSetTable> table = etbbench::FetchedTable(input.path);
    const standin::LoadOutcome outcome = etbbench::LoadWithNewParser(table);
    etbbench::RemoveFetchedCopies();
    if (!LoadWasComplete(state, outcome, table, input.file.records)) break;
    state.ResumeTiming();
    table.Reset();
  }
  SetCounters(state, input.file);
}

// (b) The same file read with std::ifstream, std::getline, find and std::stoi into a vector of
// plain records.
void ParseNaively(benchmark::State& state, const Input& input) {
  if (!input.ok) return state.SkipWithError("cannot write the input file");
  for ([[maybe_unused]] auto _ : state) {
    std::vector<etbbench::NaiveRecord> records;
    const bool read = etbbench::NaiveParse(input.path, records);
    state.PauseTiming();
    const bool complete = read && records.size() == input.file.records;
    if (!complete) state.SkipWithError("the baseline did not read every record");
    records = std::vector<etbbench::NaiveRecord>();
    if (!complete) break;
    state.ResumeTiming();
  }
  SetCounters(state, input.file);
}

void BM_NaiveBaseline(benchmark::State& state) { ParseNaively(state, TheInput()); }

// The baseline's own growth: what of the module's growth comes from the machine's caches.
void BM_NaiveBaselineTenth(benchmark::State& state) {
  ParseNaively(state, InputOf(etbbench::RecordCount() / 10));
}

// One to several seconds per load of a million records, depending on the corpus: five runs of
// one load each, reported as median and coefficient of variation.
BENCHMARK(BM_ModuleParse)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleParseInPlace)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleParseFetched)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleParseFetchedTenth)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleTeardown)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_NaiveBaseline)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_NaiveBaselineTenth)->Apply(etbbench::FiveRunsOfOne);

}  // namespace

BENCHMARK_MAIN();
