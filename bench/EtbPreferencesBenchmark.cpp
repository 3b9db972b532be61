// Preferences: saving N preference entries to the host's store file and loading them back in a
// new world, for 10,000 and 100,000 entries. Cost should grow with N, not faster.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "HostRoad.h"
#include "etb/EtbPreferencesWriter.h"
#include "etb/PreferencesParser.h"
#include "standin/HostTemp.h"
#include "standin/PreferenceStore.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntryData.h"

namespace {

namespace fs = std::filesystem;

du::SmartPtr<znk::AnnoSetTable> PreferenceTable(int count) {
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
  const char* const properties[] = {"Torque", "Material", "Finish", "Supplier"};
  for (int i = 0; i < count; ++i) {
    znk::AnnoSetTableEntryData data;
    data.componentName = du::Symbol::EMPTY;
    data.propertyName = properties[i % 4];
    data.propertyValue = std::to_string(i % 97) + " Nm";
    data.name = "Check " + std::to_string(i);
    data.reservedText = du::Symbol::EMPTY;
    data.annotationType = i % 5;
    du::SmartPtr<znk::AnnoSetTableEntry> entry;
    znk::AnnoSetTableEntry::Create(
        entry, data, du::Symbol("part" + std::to_string(i % 300) + ".znd"), 0, 0, true);
    entry->comment = i % 10 == 0 ? "check the torque" : "";
    table->AddEntry(entry);
  }
  return table;
}

void BM_PreferencesSaveAndLoad(benchmark::State& state) {
  const int count = int(state.range(0));
  const std::string folder = etbbench::MakeScratchFolder("etb-prefs");
  const std::string store = folder + "/preferences.json";
  du::SmartPtr<znk::AnnoSetTable> table = PreferenceTable(count);
  for ([[maybe_unused]] auto _ : state) {
    // Each save starts from an empty store, not from the last iteration's.
    state.PauseTiming();
    fs::remove(store);
    standin::UsePreferenceStore(store);
    state.ResumeTiming();
    etb::EtbPreferencesWriter().SaveAnnotationTable(table, {}, "", true, false);
    standin::UsePreferenceStore(store);  // a new world reads the file
    du::SmartPtr<znk::AnnoSetTable> loaded(new znk::AnnoSetTable);
    etb::PreferencesParser().LoadAnnotationTable(loaded, nullptr);
    unsigned int loadedCount = 0;
    loaded->GetNumEntries(loadedCount);
    if (int(loadedCount) != count) return state.SkipWithError("entries lost");
  }
  state.SetItemsProcessed(state.iterations() * count);
  standin::ResetWorld();
  table.Reset();
  standin::RemoveHostTempDir();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

BENCHMARK(BM_PreferencesSaveAndLoad)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
