#include "CorpusTexts.h"

namespace etbbench {

namespace {

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

const char* const kSyllables[] = {"ka",  "lo",  "mi",  "ten", "rus",  "bel",  "dor", "fin",
                                  "gra", "hol", "ver", "sta", "plat", "ring", "zu",  "nor"};
const char* const kUtf8Words[] = {"Pr\u00fcfung", "Gr\u00f6\u00dfe", "\u00d6lwanne",
                                  "Fl\u00e4che",  "Stra\u00dfe",     "M\u00fchle"};

void Append(std::string& out, std::uint64_t number) { out += std::to_string(number); }

void AppendBase36(std::string& out, std::uint64_t number) {
  char digits[16];
  int used = 0;
  do {
    digits[used++] = "0123456789abcdefghijklmnopqrstuvwxyz"[number % 36];
    number /= 36;
  } while (number != 0);
  while (used > 0) out += digits[--used];
}

// A made-up word of two or three syllables.
void AppendWord(std::string& out, Random& random) {
  const std::size_t syllables = 2 + random.Below(2);
  for (std::size_t i = 0; i < syllables; ++i) out += random.Pick(kSyllables);
}

// The table the benchmarks measured first: a few dozen texts, every one repeated.
class RepetitiveTexts final : public ColumnTexts {
 public:
  explicit RepetitiveTexts(Random& random) : random_(random) {}
  void Component(std::string& out) override { out += random_.Pick(kComponents); }
  void Property(std::string& out) override { out += random_.Pick(kProperties); }
  void Value(std::string& out) override { out += random_.Pick(kValues); }
  void Name(std::string& out) override { out += random_.Pick(kNames); }
  void File(std::string& out) override {
    out += "part_";
    Append(out, random_.Below(300));
    out += ".znd";
  }
  void Comment(std::string& out) override { out += random_.Pick(kComments); }
  void Extra(std::string& out) override { out += random_.Pick(kExtras); }
  bool CommentGoesOn() override { return random_.Below(10) < 4; }

 private:
  Random& random_;
};

// Texts that repeat as a real product's do. Pooled texts (parts, properties, values) are made
// from their number alone, so the same number always gives the same text; 40% of the texts
// have a UTF-8 word.
class ProductTexts final : public ColumnTexts {
 public:
  explicit ProductTexts(Random& random) : random_(random) {}
  void Component(std::string& out) override {
    part_ = random_.Below(50000);
    Pooled(out, 1, part_);
  }
  void Property(std::string& out) override { Pooled(out, 2, random_.Below(200)); }
  void Value(std::string& out) override {
    const std::size_t value = random_.Below(2000);
    Append(out, value / 10);
    out += value % 3 == 0 ? " Nm " : " mm ";
    Pooled(out, 3, value);
  }
  void Name(std::string& out) override {
    if (random_.Below(10) == 0) return Pooled(out, 4, random_.Below(100));
    Fresh(out);
  }
  void File(std::string& out) override {
    out += "assy/";
    Append(out, part_ % 40);
    out += "/part_";
    Append(out, part_);
    out += ".znd";
  }
  void Comment(std::string& out) override {
    AppendWord(out, random_);
    out += ' ';
    Fresh(out);
  }
  void Extra(std::string& out) override { out += random_.Pick(kExtras); }
  bool CommentGoesOn() override { return random_.Below(3) == 0; }

 private:
  // Text number `number` of the pool `pool`: the same words every time.
  static void Pooled(std::string& out, std::uint64_t pool, std::uint64_t number) {
    Random words(pool << 32 | number);
    AppendWord(out, words);
    if (words.Below(10) < 4) {
      out += ' ';
      out += words.Pick(kUtf8Words);
    }
    out += ' ';
    Append(out, number);
  }
  // A text of its own: words and a serial number.
  void Fresh(std::string& out) {
    AppendWord(out, random_);
    if (random_.Below(10) < 4) {
      out += ' ';
      out += random_.Pick(kUtf8Words);
    }
    out += ' ';
    AppendBase36(out, ++serial_);
  }

  Random& random_;
  std::size_t part_ = 0;
  std::uint64_t serial_ = 0;
};

// Every text of the file different from every other: words up to a length drawn from 5 to 40
// bytes, then a serial number of its own after the last space.
class UniqueTexts final : public ColumnTexts {
 public:
  explicit UniqueTexts(Random& random) : random_(random) {}
  void Component(std::string& out) override { Fresh(out); }
  void Property(std::string& out) override { Fresh(out); }
  void Value(std::string& out) override { Fresh(out); }
  void Name(std::string& out) override { Fresh(out); }
  void File(std::string& out) override {
    out += "assy/sub/part_";
    Append(out, ++serial_);
    out += ".znd";
  }
  void Comment(std::string& out) override { Fresh(out); }
  void Extra(std::string& out) override { Fresh(out); }
  bool CommentGoesOn() override { return random_.Below(3) == 0; }

 private:
  void Fresh(std::string& out) {
    const std::size_t start = out.size();
    const std::size_t length = 5 + random_.Below(36);
    std::string serial;
    AppendBase36(serial, ++serial_);
    const std::size_t words = length > serial.size() + 1 ? length - serial.size() - 1 : 0;
    if (random_.Below(10) < 4) {
      out += random_.Pick(kUtf8Words);
      out += ' ';
    }
    const std::size_t utf8End = out.size();
    while (out.size() - start < words) AppendWord(out, random_);
    // Syllables are ASCII: cutting them never splits a character.
    if (start + words > utf8End) out.resize(start + words);
    if (out.size() > start) out += ' ';
    out += serial;
  }

  Random& random_;
  std::uint64_t serial_ = 0;
};

}  // namespace

std::unique_ptr<ColumnTexts> MakeColumnTexts(Corpus corpus, Random& random) {
  switch (corpus) {
    case Corpus::kProduct:
      return std::make_unique<ProductTexts>(random);
    case Corpus::kUnique:
      return std::make_unique<UniqueTexts>(random);
    case Corpus::kRepetitive:
      break;
  }
  return std::make_unique<RepetitiveTexts>(random);
}

}  // namespace etbbench
