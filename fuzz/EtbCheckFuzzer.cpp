// Arbitrary bytes through etbtool's checker and through the ETB loader: the checker must count
// exactly the records the loader makes, see every line, find nothing in a file only when each
// of its lines is a record, and leave the host as it found it. The first byte's lowest bit makes
// the product an ".edz" (texts converted); the bytes after it are the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "EtbChecker.h"
#include "FuzzHost.h"
#include "du/FileSystem.h"
#include "etb/Parser.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "znk/AnnoSetTable.h"
#include "znk/ComponentNode.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kTarget = "EtbCheckFuzzer";

std::string* inputPath = nullptr;
fuzzhost::Baseline baseline;

void RemoveOurFiles() {
  std::error_code ignored;
  if (inputPath != nullptr) fs::remove_all(fs::path(*inputPath).parent_path(), ignored);
  standin::RemoveHostTempDir();
}

// Entries and view-state sources the loader makes of the file.
std::size_t LoadedRecords(bool converting) {
  du::SmartPtr<znk::AnnoSetTable> table =
      standin::NewAnnotationTable(*inputPath, converting ? "product.edz" : "product.znd");
  du::SmartPtr<etb::Parser> parser(new etb::Parser);
  if (parser.IsNull() || !standin::LoadAnnotationTable(*parser, table).succeeded()) {
    fuzzhost::Fail(kTarget, "the load failed");
  }
  unsigned int entries = 0;
  table->GetNumEntries(entries);
  du::SmartPtr<znk::ComponentNode> root;
  table->GetStructure()->GetRoot(root);
  return entries + root->GetViewStateSources().size();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  std::string folder = du::FileSystem::GetTempDir(false) + "/etb-check-fuzz-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) fuzzhost::Fail(kTarget, "no temporary folder");
  inputPath = new std::string(folder + "/input.etb");
  std::atexit(RemoveOurFiles);
  baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool converting = size > 0 && (data[0] & 1U) != 0;
  std::FILE* file = std::fopen(inputPath->c_str(), "wb");
  if (file == nullptr) fuzzhost::Fail(kTarget, "cannot write the input");
  if (size > 1) std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  long findings = 0;
  long lastLine = 0;
  etbtool::EtbChecker checker(converting, [&](const etbtool::Finding& finding) {
    ++findings;
    if (finding.line < lastLine || finding.line < 1) fuzzhost::Fail(kTarget, "lines out of order");
    lastLine = finding.line;
  });
  if (!checker.Check(*inputPath)) fuzzhost::Fail(kTarget, "the checker could not read the file");
  if (lastLine > checker.lines()) fuzzhost::Fail(kTarget, "a finding past the last line");
  if (std::size_t(checker.records()) != LoadedRecords(converting)) {
    fuzzhost::Fail(kTarget, "the checker and the loader count different records");
  }
  if (findings == 0 && checker.records() != checker.lines()) {
    fuzzhost::Fail(kTarget, "no findings, but not every line is a record");
  }
  fuzzhost::CheckClean(kTarget, baseline);
  std::error_code ignored;
  fs::remove_all(fs::path(du::FileSystem::GetTempDir(true)) / "fetch-cache", ignored);
  return 0;
}
