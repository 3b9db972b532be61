// Arbitrary bytes as a zip session archive, through the zip loader and then the ETB loader's
// session-state load, as a host drives them. Besides the sanitizers: both loads report once,
// the zip load succeeds whatever the archive holds, nothing is written outside the host's
// temporary folder, and the host is left as it was.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzHost.h"
#include "du/FileSystem.h"
#include "etb/Parser.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "standin/InputLimits.h"
#include "zip/ZipParser.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;
constexpr char kTarget[] = "ZipSessionFuzzer";

struct State {
  std::string outer;    // TMPDIR: the scratch folder and the host's temporary folder, nothing else
  std::string scratch;  // the archive
  fuzzhost::Baseline baseline;
};
State* state = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  state = new State;
  state->outer = fuzzhost::ScratchFolder(kTarget);
  state->scratch = state->outer + "/scratch";
  fs::create_directories(state->scratch);
  standin::SetZipMemberSizeLimit(1 << 20);
  state->baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string archive = state->scratch + "/session.zip";
  std::ofstream(archive, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  {
    du::SmartPtr<znk::Structure> structure(new znk::Structure);
    structure->SetSessionStateURL(archive);
    du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable(structure));
    du::SmartPtr<zip::ZipParser> zipLoader(new zip::ZipParser);
    du::SmartPtr<etb::Parser> etbLoader(new etb::Parser);
    if (zipLoader.IsNull() || etbLoader.IsNull()) return 0;
    const standin::SessionOutcome outcome = standin::LoadSession(*zipLoader, *etbLoader, table);
    zipLoader->LoadSessionState({}, nullptr);
    if (outcome.zip.reports != 1 || outcome.etb.reports != 1) {
      fuzzhost::Fail(kTarget, "a load did not report exactly once");
    }
    if (!outcome.zip.succeeded()) {
      fuzzhost::Fail(kTarget, "the zip load failed on a fetched archive");
    }
    unsigned int entries = 0;
    table->GetNumEntries(entries);
    if (entries != 0) fuzzhost::Fail(kTarget, "a session load added table entries");
  }
  fuzzhost::CheckClean(kTarget, state->baseline);

  // Everything the archive made must be inside the host's temporary folder.
  const fs::path hostTemp = du::FileSystem::GetTempDir(true);
  for (const auto& item : fs::directory_iterator(state->outer)) {
    if (item.path() != hostTemp && item.path() != state->scratch) {
      fuzzhost::Fail(kTarget, "a file was written outside the temporary folder");
    }
  }
  for (const auto& item : fs::directory_iterator(state->scratch)) {
    if (item.path().filename() != "session.zip") {
      fuzzhost::Fail(kTarget, "a file was written beside the archive");
    }
  }
  std::error_code ignored;
  for (const auto& item : fs::directory_iterator(hostTemp, ignored)) fs::remove_all(item, ignored);
  return 0;
}
