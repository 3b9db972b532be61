// Zip session load: the zip loader fetching an archive with a 100 MB ETB member and unpacking
// it into the host's temporary folder, against extracting the same member with libzip by hand.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchConfig.h"
#include "EtbGenerator.h"
#include "HostRoad.h"
#include "LibzipByHand.h"
#include "du/FileSystem.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "standin/RecordingEvent.h"
#include "zip/ZipParser.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string folder;
  std::string archive;
  std::uint64_t memberBytes = 0;
};

Input* theInput = nullptr;

void RemoveInput() {
  std::error_code ignored;
  if (theInput != nullptr) fs::remove_all(theInput->folder, ignored);
  standin::RemoveHostTempDir();
}

// A session archive whose ETB member holds about 100 MB of generated records.
const Input& TheInput() {
  if (theInput != nullptr) return *theInput;
  theInput = new Input;
  theInput->folder = etbbench::MakeScratchFolder("etb-session");
  if (theInput->folder.empty()) return *theInput;
  std::atexit(RemoveInput);
  const std::string member = theInput->folder + "/session.etb";
  bool ok = false;
  theInput->memberBytes =
      etbbench::WriteRecords(member, etbbench::RecordCount() * 107 / 100, ok).bytes;
  if (!ok) return *theInput;
  theInput->archive = theInput->folder + "/session.zip";
  if (!etbbench::WriteArchive(theInput->archive, member, "session.etb")) theInput->archive.clear();
  fs::remove(member);
  return *theInput;
}

void Count(benchmark::State& state, const Input& input) {
  state.SetBytesProcessed(std::int64_t(state.iterations() * input.memberBytes));
  state.SetItemsProcessed(state.iterations());
}

void BM_ZipSessionLoad(benchmark::State& state) {
  const Input& input = TheInput();
  if (input.archive.empty()) return state.SkipWithError("no archive");
  for ([[maybe_unused]] auto _ : state) {
    du::SmartPtr<znk::Structure> structure(new znk::Structure);
    structure->SetSessionStateURL(input.archive);
    du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable(structure));
    standin::RecordingEvent event;
    du::SmartPtr<zip::ZipParser> loader(new zip::ZipParser);
    loader->LoadSessionState(table, &event);
    standin::PumpFetches();
    du::Symbol extracted;
    structure->GetSessionStateEtbFileName(extracted);
    state.PauseTiming();
    const bool complete =
        !extracted.IsNull() && fs::file_size(extracted.c_str()) == input.memberBytes;
    loader->LoadSessionState({}, nullptr);
    etbbench::RemoveFetchedCopies();
    fs::remove(extracted.c_str());
    if (!complete) return state.SkipWithError("the member was not extracted whole");
    state.ResumeTiming();
  }
  Count(state, input);
}

// The member read with libzip and written to a file, as a host would do it by hand.
void BM_LibzipExtract(benchmark::State& state) {
  const Input& input = TheInput();
  if (input.archive.empty()) return state.SkipWithError("no archive");
  const std::string target = input.folder + "/by-hand.etb";
  for ([[maybe_unused]] auto _ : state) {
    if (!etbbench::ExtractByHand(input.archive, "session.etb", target)) {
      return state.SkipWithError("extraction by hand failed");
    }
  }
  Count(state, input);
}

BENCHMARK(BM_ZipSessionLoad)->Apply(etbbench::FiveRunsOfThree);
BENCHMARK(BM_LibzipExtract)->Apply(etbbench::FiveRunsOfThree);

}  // namespace

BENCHMARK_MAIN();
