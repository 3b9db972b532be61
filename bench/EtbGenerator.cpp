#include "EtbGenerator.h"

#include <cstdio>
#include <memory>

namespace etbbench {

namespace {

constexpr char kSeparator[] = "<@@>";

// splitmix64: tiny, fast, and the same sequence with every standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return std::size_t(Next() % n); }
  template <std::size_t N>
  const char* Pick(const char* const (&pool)[N]) {
    return pool[Below(N)];
  }

 private:
  std::uint64_t state_;
};

// The \u escapes are stored as UTF-8, the compilers' execution character set.
const char* const kComponents[] = {"Schraube M8 \u00fc",
                                   "Mutter M10 \u00e4",
                                   "Scheibe 8,4 \u00df",
                                   "Gewindestift \u00f6",
                                   "Bolt M6",
                                   "Bracket left",
                                   "Bracket right",
                                   "Housing cover",
                                   "Shaft 20 h6",
                                   "Bearing 6204",
                                   "Gasket",
                                   "Clip",
                                   "Pin 4x20",
                                   "Spring",
                                   "Lever",
                                   "Cover plate"};
const char* const kProperties[] = {"Torque",  "Material",  "Finish",   "Drehmoment",
                                   "Coating", "Tolerance", "Supplier", "Pr\u00fcfung",
                                   "Weight",  "Revision"};
const char* const kValues[] = {"40 Nm", "25 Nm", "8.8",   "A2-70",   "zinc",  "black",
                               "H7",    "g6",    "0.5 g", "12.5 kg", "rev C", "gepr\u00fcft"};
const char* const kNames[] = {"Check",        "Assembly note", "Inspection", "Montage",
                              "Torque check", "Visual",        "Measure",    "Sicherung"};
const char* const kComments[] = {"check the torque",       "replace after ten cycles",
                                 "see drawing 4711 rev B", "nicht wiederverwenden",
                                 "tighten crosswise",      "clean the thread first"};
const char* const kExtras[] = {"work instruction 12", "station 4", "QA", "Linie 3 \u00e4"};

void Append(std::string& out, std::uint64_t number) { out += std::to_string(number); }

// One record, ending with its line feed(s); answers the number of lines it took.
int AppendRecord(std::string& out, Random& random) {
  static const int kColumnsFor[] = {7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11, 11, 11};
  int columns = kColumnsFor[random.Below(16)];
  const bool comment = random.Below(10) == 0;
  const bool twoLines = comment && random.Below(10) < 4;
  if (comment && columns < 9) columns = 9;  // a comment last on its line would go on below

  Append(out, random.Below(100000));
  out += kSeparator;
  out += random.Pick(kComponents);
  out += kSeparator;
  out += random.Pick(kProperties);
  out += kSeparator;
  out += random.Pick(kValues);
  out += kSeparator;
  out += random.Pick(kNames);
  out += kSeparator;
  out += "part_";
  Append(out, random.Below(300));
  out += ".znd";
  out += kSeparator;
  Append(out, random.Below(3));
  if (columns == 7) {
    out += '\n';
    return 1;
  }
  out += kSeparator;
  out += random.Below(20) == 0 ? "2" : "0";  // too short to hold a comment
  if (comment) {
    out += ' ';
    out += random.Pick(kComments);
  }
  if (twoLines) {
    out += "\nmore text";
    out += kSeparator;
    out += "0";
    out += kSeparator;
    out += "E1\n";
    return 2;
  }
  if (columns >= 9) {
    out += kSeparator;
    Append(out, random.Below(2));
  }
  if (columns >= 10) {
    out += kSeparator;
    out += random.Pick(kExtras);
  }
  if (columns >= 11) {
    out += kSeparator;
    out += random.Pick(kExtras);
  }
  out += '\n';
  return 1;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

template <class MakeLine>
GeneratedFile WriteLines(const std::string& path, std::size_t count, bool& ok, MakeLine makeLine) {
  GeneratedFile made;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  ok = file != nullptr;
  std::string chunk;
  for (std::size_t i = 0; ok && i < count; ++i) {
    made.lines += std::uint64_t(makeLine(chunk));
    ++made.records;
    if (chunk.size() >= (1U << 20) || i + 1 == count) {
      ok = std::fwrite(chunk.data(), 1, chunk.size(), file.get()) == chunk.size();
      made.bytes += chunk.size();
      chunk.clear();
    }
  }
  if (file != nullptr) ok = std::fclose(file.release()) == 0 && ok;
  return made;
}

}  // namespace

GeneratedFile WriteRecords(const std::string& path, std::size_t records, bool& ok,
                           std::uint64_t seed) {
  Random random(seed);
  return WriteLines(path, records, ok,
                    [&random](std::string& out) { return AppendRecord(out, random); });
}

GeneratedFile WriteSkippedLines(const std::string& path, std::size_t lines, bool& ok) {
  GeneratedFile made = WriteLines(path, lines, ok, [](std::string& out) {
    out += "12<@@>Skipped<@@>three separators<@@>only\n";
    return 1;
  });
  made.records = 0;
  return made;
}

}  // namespace etbbench
