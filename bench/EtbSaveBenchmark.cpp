// Save throughput of the ETB saver on a table of a million generated records. The saver's work
// includes what makes it safe: the temporary file, the backup of the old target and the copy over
// it, flushed to disk. Its baselines write the same bytes through a std::ofstream, a record at a
// time as a program with the lines in hand would: alone (against the saver's records phase), and
// as the whole durable protocol by hand (against the whole save, and its steps after the write
// against the saver's commit). Every save goes over an old target of the same size.
// Saves of a tenth of the records show how the cost grows.
// ETB_BENCH_RECORDS overrides the record count, ETB_BENCH_CORPUS the corpus.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "standin/Progress.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string folder;
  du::SmartPtr<znk::AnnoSetTable> table;
  std::string savedBytes;  // what a save writes, for the baseline
  std::uint64_t records = 0;
  int byHandAgrees = -1;  // whether the protocol by hand leaves what a save leaves; -1: not checked
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
  std::ofstream(target, std::ios::binary) << input.savedBytes;  // backed up by every save
  etb::EtbWriter writer;
  for ([[maybe_unused]] auto _ : state) {
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

using Clock = std::chrono::steady_clock;

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The saver's records phase ends where its commit begins: at its first file operation after
// making its temporary file, the boundary `etbtool save --stats` uses too.
Clock::time_point commitStarted;
bool commitSeen = false;

void CommitStarts(standin::FileSystemOperation operation) {
  if (operation == standin::FileSystemOperation::kMkTempFile) return;
  commitStarted = Clock::now();
  commitSeen = true;
  standin::WatchFileOperations(nullptr);
}

// Saves as BM_ModuleSave does, timing one of the two phases: the records written to the
// temporary file, or the commit (backup, copy over the target, its flush).
void SavePhase(benchmark::State& state, bool recordsPhase) {
  Input& input = TheInput();
  if (input.records == 0) return state.SkipWithError("no input table");
  const std::string target = input.folder + "/target.etb";
  std::ofstream(target, std::ios::binary) << input.savedBytes;  // backed up by every save
  etb::EtbWriter writer;
  for ([[maybe_unused]] auto _ : state) {
    commitSeen = false;
    standin::WatchFileOperations(CommitStarts);
    const Clock::time_point start = Clock::now();
    const bool saved = writer.SaveAnnotationTable(input.table, {}, target, true, false);
    const Clock::time_point end = Clock::now();
    standin::WatchFileOperations(nullptr);
    if (!saved || !commitSeen) return state.SkipWithError("save failed or had no commit");
    state.SetIterationTime(recordsPhase ? SecondsBetween(start, commitStarted)
                                        : SecondsBetween(commitStarted, end));
    ClearBackups(target);
  }
  Count(state, input);
}

void BM_ModuleSaveRecordsPhase(benchmark::State& state) { SavePhase(state, true); }

void BM_ModuleSaveCommitPhase(benchmark::State& state) { SavePhase(state, false); }

bool WriteBuffered(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::size_t line = 0; line < bytes.size();) {
    const std::size_t feed = bytes.find('\n', line);
    const std::size_t end = feed != std::string::npos ? feed + 1 : bytes.size();
    out.write(bytes.data() + line, std::streamsize(end - line));
    line = end;
  }
  out.close();
  return !out.fail();
}

bool Copy(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
  return !error;
}

bool Flush(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0;
  return ::close(fd) == 0 && flushed;
}

std::string BackupByHand(const std::string& target) { return target + ".bak"; }

struct StepSeconds {
  double write = 0;   // (a)
  double commit = 0;  // (b) to (d)
};

// A durable save written by hand over an existing target: (a) the bytes to a temporary file with
// one buffered write, (b) the old target copied to its backup, (c) the temporary copied to a
// sibling of the target, flushed to disk and renamed over the target, (d) the temporary removed.
bool SaveByHand(const std::string& bytes, const std::string& target, StepSeconds& seconds) {
  const fs::path path(target);
  const std::string temporary = (path.parent_path() / "by-hand.tmp").string();
  const std::string sibling =
      (path.parent_path() / ("." + path.filename().string() + ".copy")).string();
  const Clock::time_point start = Clock::now();
  if (!WriteBuffered(temporary, bytes)) return false;
  const Clock::time_point written = Clock::now();
  const bool saved = Copy(target, BackupByHand(target)) && Copy(temporary, sibling) &&
                     Flush(sibling) && ::rename(sibling.c_str(), target.c_str()) == 0 &&
                     ::unlink(temporary.c_str()) == 0;
  seconds.write = SecondsBetween(start, written);
  seconds.commit = SecondsBetween(written, Clock::now());
  return saved;
}

std::string BytesOf(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Once per input: a save by the module and one by hand over the same old target must leave the
// same target and the same backup, or the by-hand protocol is not the baseline it claims to be.
bool ByHandAgrees(Input& input) {
  if (input.byHandAgrees >= 0) return input.byHandAgrees == 1;
  const std::string old = "an old target, backed up by every save\n";
  const std::string module = input.folder + "/agree-module.etb";
  const std::string byHand = input.folder + "/agree-by-hand.etb";
  std::ofstream(module, std::ios::binary) << old;
  std::ofstream(byHand, std::ios::binary) << old;
  StepSeconds ignored;
  const bool saved = etb::EtbWriter().SaveAnnotationTable(input.table, {}, module, true, false) &&
                     SaveByHand(input.savedBytes, byHand, ignored);
  const bool same = saved && BytesOf(module) == BytesOf(byHand) && BytesOf(module + ".1") == old &&
                    BytesOf(BackupByHand(byHand)) == old &&
                    !fs::exists(input.folder + "/by-hand.tmp");
  if (!same) std::fputs("the save by hand leaves other files than the module's save\n", stderr);
  for (const std::string& path : {module, module + ".1", byHand, BackupByHand(byHand)}) {
    fs::remove(path);
  }
  input.byHandAgrees = same ? 1 : 0;
  return same;
}

// The durable protocol by hand, timed whole (real time) or from its backup on (manual time).
void DurableSaveByHand(benchmark::State& state, bool commitOnly) {
  Input& input = TheInput();
  if (input.records == 0) return state.SkipWithError("no input table");
  if (!ByHandAgrees(input))
    return state.SkipWithError("the save by hand differs from the module's");
  const std::string target = input.folder + "/target-by-hand.etb";
  std::ofstream(target, std::ios::binary) << input.savedBytes;  // backed up by every save
  for ([[maybe_unused]] auto _ : state) {
    StepSeconds seconds;
    if (!SaveByHand(input.savedBytes, target, seconds)) {
      return state.SkipWithError("the save by hand failed");
    }
    if (commitOnly) state.SetIterationTime(seconds.commit);
    // As for the module, the backup of one save does not stand in the way of the next.
    state.PauseTiming();
    fs::remove(BackupByHand(target));
    state.ResumeTiming();
  }
  Count(state, input);
}

void BM_DurableSaveByHand(benchmark::State& state) { DurableSaveByHand(state, false); }

void BM_DurableSaveByHandCommit(benchmark::State& state) { DurableSaveByHand(state, true); }

// Step (a) alone, into a new file as the saver's temporary is: the baseline of the records phase.
void BM_BufferedWrite(benchmark::State& state) {
  Input& input = TheInput();
  if (input.records == 0) return state.SkipWithError("no input table");
  const std::string temporary = input.folder + "/written.tmp";
  for ([[maybe_unused]] auto _ : state) {
    if (!WriteBuffered(temporary, input.savedBytes)) return state.SkipWithError("write failed");
    state.PauseTiming();
    fs::remove(temporary);
    state.ResumeTiming();
  }
  Count(state, input);
}

BENCHMARK(BM_ModuleSave)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleSaveTenth)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_ModuleSaveRecordsPhase)->Apply(etbbench::FiveManuallyTimedRunsOfOne);
BENCHMARK(BM_ModuleSaveCommitPhase)->Apply(etbbench::FiveManuallyTimedRunsOfOne);
BENCHMARK(BM_BufferedWrite)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_DurableSaveByHand)->Apply(etbbench::FiveRunsOfOne);
BENCHMARK(BM_DurableSaveByHandCommit)->Apply(etbbench::FiveManuallyTimedRunsOfOne);

}  // namespace

BENCHMARK_MAIN();
