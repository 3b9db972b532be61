// Run by scripts/bench before the timings: the comparison is only fair if the baselines read the
// generated table exactly as the module does, and if the table has the mix it claims. Loads a
// generated file of each corpus with the module, the naive reader and the fast reader and compares
// every field of every record; then compares the two readers on a file of awkward lines, read in
// large and in tiny blocks. Exits 1 on a difference.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EtbGenerator.h"
#include "FastParse.h"
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

// The fields of record `index` as two readers made them; prints the first difference.
struct SameField {
  const char* first;
  const char* second;
  std::size_t index;

  bool operator()(const char* field, const std::string& a, const std::string& b) const {
    if (a == b) return true;
    std::fprintf(stderr, "record %zu, %s: %s \"%s\", %s \"%s\"\n", index, field, first, a.c_str(),
                 second, b.c_str());
    return false;
  }
  bool operator()(const char* field, int a, int b) const {
    return (*this)(field, std::to_string(a), std::to_string(b));
  }
};

bool SameRecord(const znk::AnnoSetTableEntry& entry, const etbbench::NaiveRecord& record,
                const SameField& same) {
  return same("component id", entry.GetCompId(), record.componentId) &&
         same("component name", Text(entry.GetCompName()), record.componentName) &&
         same("property name", Text(entry.GetPropName()), record.propertyName) &&
         same("property value", Text(entry.GetCombinedPropValueAndListString()),
              record.propertyValue) &&
         same("name", Text(entry.GetName()), record.name) &&
         same("file", Text(entry.file), record.file) &&
         same("type", entry.annotationType, record.annotationType) &&
         same("access state", entry.accessState, record.accessState) &&
         same("comment", Text(entry.comment), record.comment) &&
         same("second state", entry.secondState, record.secondState) &&
         same("extra text 1", Text(entry.extraText1), record.extraText1) &&
         same("extra text 2", Text(entry.extraText2), record.extraText2);
}

bool SameRecord(const etbbench::NaiveRecord& a, const etbbench::NaiveRecord& b,
                const SameField& same) {
  return same("component id", a.componentId, b.componentId) &&
         same("component name", a.componentName, b.componentName) &&
         same("property name", a.propertyName, b.propertyName) &&
         same("property value", a.propertyValue, b.propertyValue) && same("name", a.name, b.name) &&
         same("file", a.file, b.file) && same("type", a.annotationType, b.annotationType) &&
         same("access state", a.accessState, b.accessState) &&
         same("comment", a.comment, b.comment) &&
         same("second state", a.secondState, b.secondState) &&
         same("extra text 1", a.extraText1, b.extraText1) &&
         same("extra text 2", a.extraText2, b.extraText2);
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
  std::vector<etbbench::NaiveRecord> naive;
  std::vector<etbbench::NaiveRecord> fast;
  if (!loaded || !etbbench::NaiveParse(path, naive) || !etbbench::FastParse(path, fast)) {
    std::fprintf(stderr, "a load of %s failed\n", path.c_str());
    return 1;
  }
  unsigned int entries = 0;
  table->GetNumEntries(entries);
  if (entries != file.records || naive.size() != file.records || fast.size() != file.records) {
    std::fprintf(stderr, "%llu records written, module made %u, naive reader %zu, fast %zu\n",
                 static_cast<unsigned long long>(file.records), entries, naive.size(), fast.size());
    return 1;
  }
  for (unsigned int i = 0; i < entries; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = table->GetEntry(i);
    if (!SameRecord(*entry, naive[i], SameField{"module", "naive reader", i}) ||
        !SameRecord(*entry, fast[i], SameField{"module", "fast reader", i})) {
      return 1;
    }
  }
  if (!HasTheMix(naive)) return 1;
  std::printf("both baselines agree with the module on %zu generated %s records (%llu lines)\n",
              naive.size(), etbbench::NameOf(corpus), static_cast<unsigned long long>(file.lines));
  return 0;
}

// Lines the generator never writes: carriage returns, blank and short lines, partial separators,
// numbers out of range, a comment that runs to the end of a file without a last line feed, and a
// line longer than a block.
std::string AwkwardLines() {
  std::string text =
      "1<@@>a<@@>b<@@>c<@@>d<@@>e<@@>2\r\n"
      "\n"
      "\r\n"
      "short<@@>line\n"
      " +7<@@>a<@@<@@>b<@<@@>c<@@@>d<@@>e\r<@@>-2147483648<@@>  \t-12x<@@>3<@@><@@>gone\n"
      "99999999999<@@>a<@@>b<@@>c<@@>d<@@>e<@@>2147483648<@@>0 c<@@>-0<@@>x<@@>y<@@>z<@@>w\n"
      "2<@@>a<@@>b<@@>c<@@>d<@@>e<@@>1<@@>0 goes on\r\nsecond\r\n\n<@@>7<@@>t1<@@>t2\n"
      "3<@@>a<@@>b<@@>c<@@>d<@@>e<@@>1<@@>    \n 5 more<@@>1\n"
      "4<@@>a<@@>b<@@>c<@@>d<@@>e<@@>1<@@>abc\n"
      "5<@@>";
  text.append(std::size_t{3} << 20, 'x');
  text +=
      "<@@>b<@@>c<@@>d<@@>e<@@>1\n"
      "6<@@>a<@@>b<@@>c<@@>d<@@>e<@@>1<@@>0 to the end\nlast\rline";
  return text;
}

int CheckAwkwardLines(const std::string& path) {
  std::ofstream(path, std::ios::binary) << AwkwardLines();
  std::vector<etbbench::NaiveRecord> naive;
  if (!etbbench::NaiveParse(path, naive)) return 1;
  for (const std::size_t block : {std::size_t{1} << 20, std::size_t{7}}) {
    std::vector<etbbench::NaiveRecord> fast;
    if (!etbbench::FastParse(path, fast, block) || fast.size() != naive.size()) {
      std::fprintf(stderr, "awkward lines in blocks of %zu: naive reader %zu records, fast %zu\n",
                   block, naive.size(), fast.size());
      return 1;
    }
    for (std::size_t i = 0; i < naive.size(); ++i) {
      if (!SameRecord(naive[i], fast[i], SameField{"naive reader", "fast reader", i})) return 1;
    }
  }
  std::printf("the fast reader agrees with the naive one on %zu awkward records\n", naive.size());
  return 0;
}

}  // namespace

int main() {
  std::string folder = (fs::temp_directory_path() / "etb-agree-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return 1;
  int result = CheckAwkwardLines(folder + "/awkward.etb");
  for (const etbbench::Corpus corpus : etbbench::kCorpora) {
    if (result == 0) result = Check(folder + "/table.etb", corpus);
  }
  etbbench::RemoveFetchedCopies();
  standin::RemoveHostTempDir();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return result;
}
