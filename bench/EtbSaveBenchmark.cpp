// Save throughput of the ETB saver on a table of a million generated records, against a baseline
// that writes the same bytes with one std::ofstream and then copies the file once. The saver's
// work includes what makes it safe: the temporary file, the backup of the old target and the
// copy over it, each flushed to disk. ETB_BENCH_RECORDS overrides the record count.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BenchConfig.h"
#include "EtbGenerator.h"
#include "HostRoad.h"
#include "etb/EtbWriter.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "standin/RecordingEvent.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string folder;
  du::SmartPtr<znk::AnnoSetTable> table;
  std::string savedBytes;  // what a save writes, for the baseline
  std::uint64_t records = 0;
};

Input* theInput = nullptr;

void RemoveInput() {
  std::error_code ignored;
  if (theInput != nullptr) {
    fs::remove_all(theInput->folder, ignored);
    theInput->table.Reset();
  }
  standin::RemoveHostTempDir();
}

// The generated table, loaded once by the module for all benchmarks.
Input& TheInput() {
  if (theInput != nullptr) return *theInput;
  theInput = new Input;
  theInput->folder = etbbench::MakeScratchFolder("etb-save");
  if (theInput->folder.empty()) return *theInput;
  const std::string& pattern = theInput->folder;
  std::atexit(RemoveInput);
  bool ok = false;
  const std::string source = pattern + "/source.etb";
  etbbench::WriteRecords(source, etbbench::RecordCount(), ok);
  if (!ok) return *theInput;
  theInput->table = etbbench::MakeTable(source, etbbench::Road::kFetch);
  {
    du::SmartPtr<etb::Parser> parser(new etb::Parser);
    parser->LoadAnnotationTable(theInput->table, nullptr);
  }
  standin::PumpFetches();
  etbbench::RemoveFetchedCopies();
  unsigned int count = 0;
  theInput->table->GetNumEntries(count);
  theInput->records = count;
  const std::string saved = pattern + "/saved.etb";
  etb::EtbWriter().SaveAnnotationTable(theInput->table, {}, saved, true, false);
  std::ostringstream bytes;
  bytes << std::ifstream(saved, std::ios::binary).rdbuf();
  theInput->savedBytes = bytes.str();
  return *theInput;
}

void Count(benchmark::State& state, const Input& input) {
  state.SetItemsProcessed(std::int64_t(state.iterations() * input.records));
  state.SetBytesProcessed(std::int64_t(state.iterations() * input.savedBytes.size()));
  state.counters["records"] = double(input.records);
}

// Backups pile up with every save of the same target; they are cleared outside the timing.
void ClearBackups(const std::string& target) {
  for (int n = 1; n <= 10; ++n) fs::remove(target + "." + std::to_string(n));
}

void BM_ModuleSave(benchmark::State& state) {
  Input& input = TheInput();
  if (input.records == 0) return state.SkipWithError("no input table");
  const std::string target = input.folder + "/target.etb";
  std::ofstream(target) << "an old target, backed up by every save\n";
  etb::EtbWriter writer;
  for (auto _ : state) {
    if (!writer.SaveAnnotationTable(input.table, {}, target, true, false)) {
      return state.SkipWithError("save failed");
    }
    state.PauseTiming();
    ClearBackups(target);
    state.ResumeTiming();
  }
  Count(state, input);
}

void BM_BufferedWriteAndCopy(benchmark::State& state) {
  Input& input = TheInput();
  if (input.records == 0) return state.SkipWithError("no input table");
  const std::string written = input.folder + "/written.etb";
  const std::string copied = input.folder + "/copied.etb";
  for (auto _ : state) {
    {
      std::ofstream out(written, std::ios::binary | std::ios::trunc);
      out.write(input.savedBytes.data(), std::streamsize(input.savedBytes.size()));
    }
    fs::copy_file(written, copied, fs::copy_options::overwrite_existing);
  }
  Count(state, input);
}

BENCHMARK(BM_ModuleSave)->Apply(etbbench::FiveRunsOfThree);
BENCHMARK(BM_BufferedWriteAndCopy)->Apply(etbbench::FiveRunsOfThree);

}  // namespace

BENCHMARK_MAIN();
