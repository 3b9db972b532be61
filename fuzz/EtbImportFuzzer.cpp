// Arbitrary bytes through etbtool's import readers (the first byte's lowest bit: JSON, else CSV):
// an input is refused, or its entries are saved through the ETB saver and read back by the
// loader as they were given (second states as column 9's mark). The host is left as it was.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzHost.h"
#include "TableImport.h"
#include "etb/EtbWriter.h"
#include "znk/AnnoSetTable.h"

namespace {

constexpr const char* kTarget = "EtbImportFuzzer";
fuzzhost::Baseline baseline;

bool SameText(const du::Symbol& loaded, const std::string& given) {
  return std::string(loaded.safe_c_str()) == given;
}

bool ReadsBackAsGiven(const du::SmartPtr<znk::AnnoSetTableEntry>& loaded,
                      const etbtool::ImportedEntry& given) {
  return loaded->GetCompId() == given.componentId &&
         SameText(loaded->GetCompName(), given.componentName) &&
         SameText(loaded->GetPropName(), given.propertyName) &&
         SameText(loaded->GetCombinedPropValueAndListString(), given.propertyValue) &&
         SameText(loaded->GetName(), given.name) && SameText(loaded->file, given.file) &&
         loaded->annotationType == given.annotationType &&
         loaded->accessState == given.accessState &&
         loaded->secondState == (given.secondState >= 2 ? 2 : 0) &&
         SameText(loaded->extraText1, given.extraText1) &&
         SameText(loaded->extraText2, given.extraText2);
}

void SaveAndReadBack(const std::vector<etbtool::ImportedEntry>& entries) {
  const std::string target = fuzzhost::ScratchFolder(kTarget) + "/out.etb";
  {
    du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
    for (const etbtool::ImportedEntry& entry : entries) {
      table->AddEntry(etbtool::NewHostEntry(entry));
    }
    du::SmartPtr<etb::EtbWriter> saver(new etb::EtbWriter);
    if (saver.IsNull() || !saver->SaveAnnotationTable(table, du::SmartPtr<znk::AnnoSetTableEntry>(),
                                                      target, true, false)) {
      fuzzhost::Fail(kTarget, "the save failed");
    }
  }
  const du::SmartPtr<znk::AnnoSetTable> table = fuzzhost::LoadEtb(kTarget, target, "");
  unsigned int count = 0;
  table->GetNumEntries(count);
  if (count != entries.size()) fuzzhost::Fail(kTarget, "a different number of entries read back");
  for (unsigned int i = 0; i < count; ++i) {
    if (!ReadsBackAsGiven(table->GetEntry(i), entries[i])) {
      fuzzhost::Fail(kTarget, "an entry read back otherwise than it was given");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  fuzzhost::ScratchFolder(kTarget);
  baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool json = size > 0 && (data[0] & 1U) != 0;
  const std::string bytes =
      size > 1 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
  std::vector<etbtool::ImportError> errors;
  const std::vector<etbtool::ImportedEntry> entries =
      json ? etbtool::ReadJsonEntries(bytes, errors) : etbtool::ReadCsvEntries(bytes, errors);
  if (errors.empty()) SaveAndReadBack(entries);
  for (const etbtool::ImportError& error : errors) {
    if (error.line < 1) fuzzhost::Fail(kTarget, "a refusal names no line");
  }
  fuzzhost::CheckClean(kTarget, baseline);
  std::error_code ignored;  // the saved file and the saver's backups of it
  for (const auto& file :
       std::filesystem::directory_iterator(fuzzhost::ScratchFolder(kTarget), ignored)) {
    if (!file.is_directory()) std::filesystem::remove(file.path(), ignored);  // not the host's
  }
  fuzzhost::ClearFetchCache();
  return 0;
}
