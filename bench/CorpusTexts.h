#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "EtbGenerator.h"

// The column texts of generated records, one kind per corpus.
namespace etbbench {

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

// Appends one column's text to `out`. The calls come in column order, once per record, so a
// corpus may tie columns together (a part's name and its file).
class ColumnTexts {
 public:
  virtual ~ColumnTexts() = default;
  virtual void Component(std::string& out) = 0;
  virtual void Property(std::string& out) = 0;
  virtual void Value(std::string& out) = 0;
  virtual void Name(std::string& out) = 0;
  virtual void File(std::string& out) = 0;
  virtual void Comment(std::string& out) = 0;
  virtual void Extra(std::string& out) = 0;
  // Whether the comment just written goes on over a second line.
  virtual bool CommentGoesOn() = 0;
};

std::unique_ptr<ColumnTexts> MakeColumnTexts(Corpus corpus, Random& random);

}  // namespace etbbench
