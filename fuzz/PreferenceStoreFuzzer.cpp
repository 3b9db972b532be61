// Arbitrary bytes as the host's preferences store. A store that reads is loaded through the
// preferences loader, saved back through the preferences saver and read again: both loads give
// the same entries. A store that does not read is never overwritten. The host is left clean.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "etb/EtbPreferencesWriter.h"
#include "etb/PreferencesParser.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "standin/PreferenceStore.h"
#include "standin/TraceCapture.h"
#include "znk/AnnoSetTable.h"
#include "znk/World.h"

namespace {

namespace fs = std::filesystem;
constexpr char kTarget[] = "PreferenceStoreFuzzer";

std::string folder;
fuzzhost::Baseline baseline;

std::string Content(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// The list's entries, one line each.
std::vector<std::string> LoadList() {
  const du::SmartPtr<znk::AnnoSetTable> table = standin::NewAnnotationTable("");
  etb::PreferencesParser loader;
  if (!standin::LoadAnnotationTable(loader, table).succeeded()) {
    fuzzhost::Fail(kTarget, "the preferences load did not succeed");
  }
  std::vector<std::string> lines;
  unsigned int count = 0;
  table->GetNumEntries(count);
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = table->GetEntry(i);
    // The access state first, where a protected entry is told apart without doubt.
    lines.push_back(std::to_string(entry->accessState) + "|" + entry->GetPropName().safe_c_str() +
                    "|" + entry->GetCombinedPropValueAndListString().safe_c_str() + "|" +
                    entry->GetName().safe_c_str() + "|" + entry->file.safe_c_str() + "|" +
                    std::to_string(entry->annotationType) + "|" + entry->comment.safe_c_str() +
                    "|" + std::to_string(entry->color.GetAsHexUI()));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  folder = fuzzhost::ScratchFolder(kTarget);
  std::atexit(standin::ResetWorld);  // the world's store file is in the folder
  baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string store = folder + "/preferences.json";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::ofstream(store, std::ios::binary | std::ios::trunc) << bytes;

  if (!standin::UsePreferenceStore(store).empty()) {
    // Unreadable: a save must fail, say so once, and leave the file alone.
    standin::TraceCapture capture;
    if (znk::World::GetWorld()->SaveAndApplyPreferences()) {
      fuzzhost::Fail(kTarget, "an unreadable store was saved over");
    }
    if (capture.Lines().size() != 1) fuzzhost::Fail(kTarget, "a refused save was not traced once");
    if (Content(store) != bytes) fuzzhost::Fail(kTarget, "an unreadable store was changed");
  } else {
    const std::vector<std::string> first = LoadList();
    {
      du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
      etb::PreferencesParser().LoadAnnotationTable(table, nullptr);
      etb::EtbPreferencesWriter().SaveAnnotationTable(table, {}, "", true, false);
    }
    if (!standin::UsePreferenceStore(store).empty()) {
      fuzzhost::Fail(kTarget, "the saved store does not read");
    }
    const std::vector<std::string> second = LoadList();
    // A protected list is not rewritten. Otherwise protected entries stay where the store keeps
    // them, ahead of the user's, which are written back in their order.
    std::vector<std::string> kept;
    std::vector<std::string> rewritten;
    for (const std::string& line : first) {
      (line.rfind("2|", 0) == 0 ? kept : rewritten).push_back(line);
    }
    kept.insert(kept.end(), rewritten.begin(), rewritten.end());
    if (second != first && second != kept) {
      fuzzhost::Fail(kTarget, "the store did not keep its entries through a save");
    }
  }
  standin::ResetWorld();
  fuzzhost::CheckClean(kTarget, baseline);
  return 0;
}
