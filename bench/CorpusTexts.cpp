#include "CorpusTexts.h"

#include <algorithm>
#include <set>
#include <vector>

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

// Texts of a table that grew over years: names made of shared words and numbers, most of them
// unique; 40 property names and 500 values, reused; files nearly all unique in 20 folders; a
// third of the texts with a UTF-8 word. The words are drawn once from the generator's seed.
class MixedTexts final : public ColumnTexts {
 public:
  explicit MixedTexts(Random& random) : random_(random) {
    // 2,000 different words of two or three syllables, each a consonant and a vowel.
    std::set<std::string> drawn;
    while (drawn.size() < 2000) {
      std::string word;
      const std::size_t syllables = 2 + random_.Below(2);
      for (std::size_t i = 0; i < syllables; ++i) {
        word += "bdfgklmnprstvz"[random_.Below(14)];
        word += "aeiou"[random_.Below(5)];
      }
      drawn.insert(word);
    }
    words_.assign(drawn.begin(), drawn.end());
    // Diameters, micrometres, degrees and two-character CJK words, 48 in all.
    const char* const cjk[] = {"\u87ba", "\u6813", "\u57ab", "\u5708", "\u68c0", "\u67e5",
                               "\u626d", "\u77e9", "\u6750", "\u6599", "\u8f74", "\u627f"};
    for (std::size_t i = 0; i < 48; ++i) {
      std::string word;
      switch (i % 4) {
        case 0:
          word = "\u00d8" + std::to_string(2 + i);
          break;
        case 1:
          word = std::to_string(5 * i) + " \u00b5m";
          break;
        case 2:
          word = std::to_string(15 * i) + "\u00b0";
          break;
        default:
          word = random_.Pick(cjk);
          word += random_.Pick(cjk);
          break;
      }
      utf8Words_.push_back(word);
    }
    for (int i = 0; i < 40; ++i) properties_.push_back(Words(1 + random_.Below(2)));
    static const char* const kUnits[] = {" mm", " Nm", " kg", " \u00b5m", "\u00b0C", ""};
    // Each draw is a statement of its own: the order of a + b's operands is unspecified, and the
    // same seed must give the same texts with every compiler.
    for (int i = 0; i < 500; ++i) {
      if (random_.Below(4) == 0) {
        values_.push_back(Words(1));
        continue;
      }
      std::string value = std::to_string(random_.Below(2000));
      value += random_.Pick(kUnits);
      values_.push_back(value);
    }
    for (int i = 0; i < 20; ++i) {
      std::string folder = words_[random_.Below(words_.size())];
      folder += '/';
      folder += words_[random_.Below(words_.size())];
      folders_.push_back(folder);
    }
  }
  void Component(std::string& out) override { NumberedName(out, 1 + random_.Below(2)); }
  void Property(std::string& out) override { out += properties_[random_.Below(40)]; }
  void Value(std::string& out) override { out += values_[random_.Below(500)]; }
  void Name(std::string& out) override { NumberedName(out, 1 + random_.Below(3)); }
  void File(std::string& out) override {
    // One file in a hundred is the one before it again: an assembly with two annotations.
    if (file_.empty() || random_.Below(100) != 0) {
      file_ = folders_[random_.Below(20)];
      file_ += '/';
      std::string word = Words(1);
      std::replace(word.begin(), word.end(), ' ', '_');
      file_ += word;
      file_ += '_';
      Append(file_, ++serial_);
      file_ += ".znd";
    }
    out += file_;
  }
  void Comment(std::string& out) override { out += Words(2 + random_.Below(5)); }
  void Extra(std::string& out) override { NumberedName(out, 1); }
  bool CommentGoesOn() override { return random_.Below(4) == 0; }

 private:
  // `count` words, a third of the time with a UTF-8 word among them.
  std::string Words(std::size_t count) {
    std::string text;
    const std::size_t utf8At = random_.Below(3) == 0 ? random_.Below(count + 1) : count + 1;
    for (std::size_t i = 0; i <= count; ++i) {
      if (i == utf8At) {
        if (!text.empty()) text += ' ';
        text += utf8Words_[random_.Below(utf8Words_.size())];
      }
      if (i == count) break;
      if (!text.empty()) text += ' ';
      text += words_[random_.Below(words_.size())];
    }
    return text;
  }
  // Words and a number: the words are shared, the whole name rarely is.
  void NumberedName(std::string& out, std::size_t words) {
    out += Words(words);
    out += ' ';
    Append(out, random_.Below(100000));
  }

  Random& random_;
  std::vector<std::string> words_;
  std::vector<std::string> utf8Words_;
  std::vector<std::string> properties_;
  std::vector<std::string> values_;
  std::vector<std::string> folders_;
  std::string file_;
  std::uint64_t serial_ = 0;
};

}  // namespace

std::unique_ptr<ColumnTexts> MakeColumnTexts(Corpus corpus, Random& random) {
  switch (corpus) {
    case Corpus::kProduct:
      return std::make_unique<ProductTexts>(random);
    case Corpus::kUnique:
      return std::make_unique<UniqueTexts>(random);
    case Corpus::kMixed:
      return std::make_unique<MixedTexts>(random);
    case Corpus::kRepetitive:
      break;
  }
  return std::make_unique<RepetitiveTexts>(random);
}

}  // namespace etbbench
