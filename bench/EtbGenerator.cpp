#include "EtbGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CorpusTexts.h"

namespace etbbench {

namespace {

constexpr char kSeparator[] = "<@@>";

void Append(std::string& out, std::uint64_t number) { out += std::to_string(number); }

// One record, ending with its line feed(s); answers the number of lines it took.
int AppendRecord(std::string& out, Random& random, ColumnTexts& texts) {
  static const int kColumnsFor[] = {7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11, 11, 11};
  int columns = kColumnsFor[random.Below(16)];
  const bool comment = random.Below(10) == 0;
  const bool twoLines = comment && texts.CommentGoesOn();
  if (comment && columns < 9) columns = 9;  // a comment last on its line would go on below

  Append(out, random.Below(100000));
  out += kSeparator;
  texts.Component(out);
  out += kSeparator;
  texts.Property(out);
  out += kSeparator;
  texts.Value(out);
  out += kSeparator;
  texts.Name(out);
  out += kSeparator;
  texts.File(out);
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
    texts.Comment(out);
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
    texts.Extra(out);
  }
  if (columns >= 11) {
    out += kSeparator;
    texts.Extra(out);
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

constexpr const char* kCorpusNames[] = {"repetitive", "product", "unique", "mixed"};
static_assert(sizeof kCorpusNames / sizeof kCorpusNames[0] == sizeof kCorpora / sizeof kCorpora[0]);

}  // namespace

bool CorpusNamed(const std::string& name, Corpus& corpus) {
  for (const Corpus each : kCorpora) {
    if (name == NameOf(each)) {
      corpus = each;
      return true;
    }
  }
  return false;
}

const char* NameOf(Corpus corpus) { return kCorpusNames[int(corpus)]; }

Corpus ConfiguredCorpus() {
  const char* configured = std::getenv("ETB_BENCH_CORPUS");
  Corpus corpus = Corpus::kRepetitive;
  if (configured != nullptr && !CorpusNamed(configured, corpus)) {
    std::fprintf(stderr, "ETB_BENCH_CORPUS: no corpus \"%s\"\n", configured);
    std::exit(2);
  }
  return corpus;
}

GeneratedFile WriteRecords(const std::string& path, std::size_t records, bool& ok, Corpus corpus,
                           std::uint64_t seed) {
  Random random(seed);
  const std::unique_ptr<ColumnTexts> texts = MakeColumnTexts(corpus, random);
  return WriteLines(path, records, ok, [&random, &texts](std::string& out) {
    return AppendRecord(out, random, *texts);
  });
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
