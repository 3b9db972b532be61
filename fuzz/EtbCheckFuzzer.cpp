// Arbitrary bytes through etbtool's checker and through the ETB loader: the checker must count
// exactly the records the loader makes, see every line, find nothing in a file only when each
// of its lines is a record, and leave the host as it found it. The first byte's lowest bit makes
// the product an ".edz" (texts converted); the bytes after it are the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "EtbChecker.h"
#include "FuzzHost.h"
#include "znk/AnnoSetTable.h"
#include "znk/ComponentNode.h"
#include "znk/Structure.h"

namespace {

constexpr const char* kTarget = "EtbCheckFuzzer";
fuzzhost::Baseline baseline;

// Entries and view-state sources the loader makes of the file.
std::size_t LoadedRecords(const std::string& path, bool converting) {
  const du::SmartPtr<znk::AnnoSetTable> table =
      fuzzhost::LoadEtb(kTarget, path, converting ? "product.edz" : "product.znd");
  unsigned int entries = 0;
  table->GetNumEntries(entries);
  du::SmartPtr<znk::ComponentNode> root;
  table->GetStructure()->GetRoot(root);
  return entries + root->GetViewStateSources().size();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  fuzzhost::ScratchFolder(kTarget);
  baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool converting = size > 0 && (data[0] & 1U) != 0;
  const std::string path = fuzzhost::ScratchFolder(kTarget) + "/input.etb";
  std::FILE* file = std::fopen(path.c_str(), "wb");
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
  if (!checker.Check(path).empty()) fuzzhost::Fail(kTarget, "the checker could not read the file");
  if (lastLine > checker.lines()) fuzzhost::Fail(kTarget, "a finding past the last line");
  if (std::size_t(checker.records()) != LoadedRecords(path, converting)) {
    fuzzhost::Fail(kTarget, "the checker and the loader count different records");
  }
  if (findings == 0 && checker.records() != checker.lines()) {
    fuzzhost::Fail(kTarget, "no findings, but not every line is a record");
  }
  fuzzhost::CheckClean(kTarget, baseline);
  fuzzhost::ClearFetchCache();
  return 0;
}
