// Save throughput of the ETB saver on a table of a million generated records, against a baseline
// that writes the same bytes with one std::ofstream and then copies the file once. The saver's
// work includes what makes it safe: the temporary file, the backup of the old target and the
// copy over it, each flushed to disk. Saves of a tenth of the records show how the cost grows.
// ETB_BENCH_RECORDS overrides the record count, ETB_BENCH_CORPUS the corpus.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "BenchConfig.h"
#include "EtbGenerator.h"
#include "HostRoad.h"
#include "etb/EtbWriter.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string folder;
  du::SmartPtr<znk::AnnoSetTable> table;
  std::string savedBytes;  // what a save writes, for the baseline
  std::uint64_t records = 0;
};

std::map<std::size_t, Input>* inputs = nullptr;

void RemoveInputs() {
  std::error_code ignored;
  for (auto& [records, input] : *inputs) {
    fs::remove_all(input.folder, ignored);
    input.table.Reset();
  }
  standin::RemoveHostTempDir();
}

// A generated table of `records` records, loaded by the module on first use and kept for all
// benchmarks.
Input& InputOf(std::size_t records) {
  if (inputs == nullptr) {
    inputs = new std::map<std::size_t, Input>;
    std::atexit(RemoveInputs);
  }
  const auto found = inputs->find(records);
  if (found != inputs->end()) return found->second;
  Input& input = (*inputs)[records];
  input.folder = etbbench::MakeScratchFolder("etb-save");
  if (input.folder.empty()) return input;
  bool ok = false;
  const std::string source = input.folder + "/source.etb";
  etbbench::WriteRecords(source, records, ok, etbbench::ConfiguredCorpus());
  if (!ok) return input;
  input.table = etbbench::FetchedTable(source);
  etbbench::LoadWithNewParser(input.table);
  etbbench::RemoveFetchedCopies();
  unsigned int count = 0;
  input.table->GetNumEntries(count);
  input.records = count;
  const std::string saved = input.folder + "/saved.etb";
  etb::EtbWriter().SaveAnnotationTable(input.table, {}, saved, true, false);
  std::ostringstream bytes;
  bytes << std::ifstream(saved, std::ios::binary).rdbuf();
  input.savedBytes = bytes.str();
  return input;
}

Input& TheInput() { return InputOf(etbbench::RecordCount()); }

void Count(benchmark::State& state, const Input& input) {
  state.SetItemsProcessed(std::int64_t(state.iterations() * input.records));
  state.SetBytesProcessed(std::int64_t(state.iterations() * input.savedBytes.size()));
  state.counters["records"] = double(input.records);
}

// Backups pile up with every save of the same target; they are cleared outside the timing.
void ClearBackups(const std::string& target) {
  for (int n = 1; n <= 10; ++n) fs::remove(target + "." + std::to_string(n));
}

void Save(benchmark::State& state, Input& input) {
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

void BM_ModuleSave(benchmark::State& state) { Save(state, TheInput()); }

// The same with a tenth of the records: the cost should grow linearly with the table.
void BM_ModuleSaveTenth(benchmark::State& state) {
  Save(state, InputOf(etbbench::RecordCount() / 10));
}

// The copy as a save must make it, to be on disk before it could take the target's name; the
// plain write and copy above leave their bytes in the page cache.
void WriteAndCopy(benchmark::State& state, bool durable) {
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
    if (durable) {
      const int fd = ::open(copied.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0 || ::fsync(fd) != 0) state.SkipWithError("fsync failed");
      if (fd >= 0) ::close(fd);
    }
  }
  Count(state, input);
}

void BM_BufferedWriteAndCopy(benchmark::State& state) { WriteAndCopy(state, false); }

void BM_BufferedWriteAndDurableCopy(benchmark::State& state) { WriteAndCopy(state, true); }

BENCHMARK(BM_ModuleSave)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleSaveTenth)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_BufferedWriteAndCopy)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_BufferedWriteAndDurableCopy)->Apply(etbbench::FiveRunsOfOne);

}  // namespace

BENCHMARK_MAIN();
