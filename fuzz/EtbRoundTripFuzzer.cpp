// Arbitrary bytes as an ETB file: loaded, saved, and the saved file loaded again. The second
// table must be the first one as the format carries it: the same entries in the same order,
// with the changes a save makes by design (no comment is written, column 9 is only "2" or "0",
// an access state of four or more characters reads back with a comment, and the last text of a
// line loses the carriage returns it ends with). The first byte is the ETB parse target's road
// byte; it is skipped, so both targets share one corpus.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "du/FileSystem.h"
#include "etb/EtbWriter.h"
#include "etb/Parser.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "znk/AnnoSetTable.h"

namespace {

namespace fs = std::filesystem;
constexpr char kTarget[] = "EtbRoundTripFuzzer";

std::string folder;  // TMPDIR: the two files and the host's temporary folder
fuzzhost::Baseline baseline;

// What a saved and reloaded entry keeps of an entry.
struct Kept {
  std::vector<std::string> texts;  // columns 2 to 6, 10 and 11: "=" and the text, or "unset"
  int componentId, annotationType, accessState, secondState;
  std::string comment;
  bool operator==(const Kept& other) const {
    return texts == other.texts && componentId == other.componentId &&
           annotationType == other.annotationType && accessState == other.accessState &&
           secondState == other.secondState && comment == other.comment;
  }
};

Kept KeptOf(const znk::AnnoSetTableEntry& entry) {
  Kept kept{{},
            entry.GetCompId(),
            entry.annotationType,
            entry.accessState,
            entry.secondState,
            entry.comment.safe_c_str()};
  for (const du::Symbol& text :
       {entry.GetCompName(), entry.GetPropName(), entry.GetCombinedPropValueAndListString(),
        entry.GetNameAndPath(), entry.file, entry.extraText1, entry.extraText2}) {
    kept.texts.push_back(text.IsNull() ? std::string("unset") : "=" + std::string(text.c_str()));
  }
  return kept;
}

// What the save and reload make of an entry.
Kept AfterRoundTrip(Kept kept) {
  kept.secondState = kept.secondState >= 2 ? 2 : 0;
  const std::string accessState = std::to_string(kept.accessState);
  kept.comment = accessState.size() >= 4 ? accessState.substr(2) : "";
  // The last text of a line loses the carriage returns it ends with: the line reader takes them
  // for part of the line feed. A text left empty is no text (and column 11 needs column 10).
  std::string& extraText1 = kept.texts[5];
  std::string& extraText2 = kept.texts[6];
  std::string& last = extraText2 != "unset" ? extraText2 : extraText1;
  while (last.size() > 1 && last.back() == '\r') last.pop_back();
  if (last == "=") last = "unset";
  if (extraText1 == "unset") extraText2 = "unset";
  return kept;
}

std::vector<Kept> EntriesOf(const du::SmartPtr<znk::AnnoSetTable>& table) {
  std::vector<Kept> entries;
  unsigned int count = 0;
  table->GetNumEntries(count);
  for (unsigned int i = 0; i < count; ++i) entries.push_back(KeptOf(*table->GetEntry(i)));
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  folder = fuzzhost::ScratchFolder(kTarget);
  baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original = folder + "/original.etb";
  const std::string saved = folder + "/saved.etb";
  std::ofstream(original, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
             std::streamsize(size > 0 ? size - 1 : 0));
  {
    const du::SmartPtr<znk::AnnoSetTable> loaded =
        fuzzhost::LoadEtb(kTarget, original, "product.znd");
    if (!etb::EtbWriter().SaveAnnotationTable(loaded, {}, saved, true, false)) {
      fuzzhost::Fail(kTarget, "the save failed");
    }
    const std::vector<Kept> first = EntriesOf(loaded);
    const std::vector<Kept> second = EntriesOf(fuzzhost::LoadEtb(kTarget, saved, "product.znd"));
    if (second.size() != first.size()) fuzzhost::Fail(kTarget, "the entry count changed");
    for (std::size_t i = 0; i < first.size(); ++i) {
      if (!(second[i] == AfterRoundTrip(first[i]))) fuzzhost::Fail(kTarget, "an entry changed");
    }
  }
  fuzzhost::CheckClean(kTarget, baseline);
  fuzzhost::ClearFetchCache();
  return 0;
}
