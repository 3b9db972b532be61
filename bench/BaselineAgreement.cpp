// Run by scripts/bench before the timings: the comparison is only fair if the baseline reads the
// generated table exactly as the module does, and if the table has the mix it claims. Loads a
// generated file both ways and compares every field of every record; exits 1 on a difference.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "EtbGenerator.h"
#include "HostRoad.h"
#include "NaiveParse.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "znk/AnnoSetTable.h"
#include "znk/AnnoSetTableEntry.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecords = 20000;

std::string Text(const du::Symbol& symbol) { return {symbol.safe_c_str(), symbol.length()}; }

bool Same(std::size_t index, const char* field, const std::string& module,
          const std::string& naive) {
  if (module == naive) return true;
  std::fprintf(stderr, "record %zu, %s: module \"%s\", baseline \"%s\"\n", index, field,
               module.c_str(), naive.c_str());
  return false;
}

bool Same(std::size_t index, const char* field, int module, int naive) {
  return Same(index, field, std::to_string(module), std::to_string(naive));
}

bool SameRecord(std::size_t i, const znk::AnnoSetTableEntry& entry,
                const etbbench::NaiveRecord& record) {
  return Same(i, "component id", entry.GetCompId(), record.componentId) &&
         Same(i, "component name", Text(entry.GetCompName()), record.componentName) &&
         Same(i, "property name", Text(entry.GetPropName()), record.propertyName) &&
         Same(i, "property value", Text(entry.GetCombinedPropValueAndListString()),
              record.propertyValue) &&
         Same(i, "name", Text(entry.GetName()), record.name) &&
         Same(i, "file", Text(entry.file), record.file) &&
         Same(i, "type", entry.annotationType, record.annotationType) &&
         Same(i, "access state", entry.accessState, record.accessState) &&
         Same(i, "comment", Text(entry.comment), record.comment) &&
         Same(i, "second state", entry.secondState, record.secondState) &&
         Same(i, "extra text 1", Text(entry.extraText1), record.extraText1) &&
         Same(i, "extra text 2", Text(entry.extraText2), record.extraText2);
}

// The generated table must hold what the benchmark claims: records of 11 columns, about one in
// ten with a comment, some comments over two lines, UTF-8 texts.
bool HasTheMix(const std::vector<etbbench::NaiveRecord>& records) {
  std::size_t elevenColumns = 0;
  std::size_t comments = 0;
  std::size_t twoLineComments = 0;
  std::size_t utf8 = 0;
  const auto nonAscii = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
  for (const etbbench::NaiveRecord& record : records) {
    elevenColumns += record.extraText2.empty() ? 0 : 1;
    comments += record.comment.empty() ? 0 : 1;
    twoLineComments += record.comment.find('\n') == std::string::npos ? 0 : 1;
    const std::string& name = record.componentName;
    utf8 += std::find_if(name.begin(), name.end(), nonAscii) == name.end() ? 0 : 1;
  }
  const std::size_t n = records.size();
  const bool mixed = elevenColumns > n / 10 && comments > n / 20 && comments < n / 5 &&
                     twoLineComments > n / 100 && utf8 > n / 10;
  if (!mixed) {
    std::fprintf(stderr,
                 "generated mix off: %zu records, %zu with 11 columns, %zu comments (%zu over "
                 "two lines), %zu UTF-8 names\n",
                 n, elevenColumns, comments, twoLineComments, utf8);
  }
  return mixed;
}

int Check(const std::string& path, etbbench::Corpus corpus) {
  bool written = false;
  const etbbench::GeneratedFile file = etbbench::WriteRecords(path, kRecords, written, corpus);
  if (!written) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }

  du::SmartPtr<znk::AnnoSetTable> table = etbbench::FetchedTable(path);
  const bool loaded = etbbench::LoadWithNewParser(table).succeeded();
  std::vector<etbbench::NaiveRecord> records;
  if (!loaded || !etbbench::NaiveParse(path, records)) {
    std::fprintf(stderr, "a load of %s failed\n", path.c_str());
    return 1;
  }
  unsigned int entries = 0;
  table->GetNumEntries(entries);
  if (entries != file.records || records.size() != file.records) {
    std::fprintf(stderr, "%llu records written, module made %u, baseline %zu\n",
                 static_cast<unsigned long long>(file.records), entries, records.size());
    return 1;
  }
  for (unsigned int i = 0; i < entries; ++i) {
    if (!SameRecord(i, *table->GetEntry(i), records[i])) return 1;
  }
  if (!HasTheMix(records)) return 1;
  std::printf("baseline agrees with the module on %zu generated %s records (%llu lines)\n",
              records.size(), etbbench::NameOf(corpus),
              static_cast<unsigned long long>(file.lines));
  return 0;
}

}  // namespace

int main() {
  std::string folder = (fs::temp_directory_path() / "etb-agree-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return 1;
  int result = 0;
  for (const etbbench::Corpus corpus : etbbench::kCorpora) {
    if (result == 0) result = Check(folder + "/table.etb", corpus);
  }
  etbbench::RemoveFetchedCopies();
  standin::RemoveHostTempDir();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return result;
}
