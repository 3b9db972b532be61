#include "du/Symbol.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <ostream>
#include <string_view>
#include <vector>

#include "SpinLock.h"
#include "standin/Ledger.h"
#include "standin/Symbols.h"

namespace du {

// One shared, immutable text: a header followed directly by the bytes and a terminating zero.
struct Symbol::Rep {
  mutable std::atomic<int> references;
  std::size_t length;
  std::size_t hash;  // of the text, for shared texts
  bool shared;       // kept in the text table below

  const char* text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
  std::string_view view() const noexcept { return {text(), length}; }
};

namespace {

using Rep = Symbol::Rep;

std::atomic<long> liveTexts{0};

// Short texts are shared: tables repeat the same names, files and properties over and over,
// and one copy of each saves both the memory and the allocations. Longer texts (comments) are
// rarely repeated and are kept one per symbol.
constexpr std::size_t kLongestSharedText = 64;

const Rep* NewRep(std::string_view text, std::size_t hash, bool shared) {
  void* block = std::malloc(sizeof(Rep) + text.size() + 1);
  if (block == nullptr) throw std::bad_alloc();
  auto* rep = new (block) Rep{{1}, text.size(), hash, shared};
  char* bytes = reinterpret_cast<char*>(rep + 1);
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  liveTexts.fetch_add(1, std::memory_order_relaxed);
  return rep;
}

void FreeRep(const Rep* rep) {
  rep->~Rep();
  std::free(const_cast<Rep*>(rep));
  liveTexts.fetch_sub(1, std::memory_order_relaxed);
}

std::uint64_t Load64(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

std::uint64_t Load32(const char* at) {
  std::uint32_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

std::uint64_t Mix(std::uint64_t value) {
  value ^= value >> 33;
  value *= 0xff51afd7ed558ccdULL;
  value ^= value >> 33;
  return value;
}

// A hash of a short text, eight bytes at a time: the table hashes every column of every record,
// and a general-purpose byte hash was a tenth of a load.
std::size_t HashText(std::string_view text) {
  const char* at = text.data();
  std::size_t left = text.size();
  std::uint64_t hash = 0x9e3779b97f4a7c15ULL ^ left;
  for (; left >= 8; at += 8, left -= 8) hash = Mix(hash ^ Load64(at));
  std::uint64_t tail = 0;
  if (left >= 4) {
    tail = Load32(at) | Load32(at + left - 4) << 32;
  } else if (left > 0) {
    const auto byte = [at](std::size_t i) {
      return std::uint64_t(static_cast<unsigned char>(at[i]));
    };
    tail = byte(0) | byte(left / 2) << 8 | byte(left - 1) << 16;
  }
  return Mix(hash ^ tail ^ left << 56);
}

// An open-addressing set of the shared texts, in shards with a lock each.
class TextTable {
 public:
  // The shared text equal to `text`, with one more reference, made when missing.
  const Rep* Share(std::string_view text) {
    const std::size_t hash = HashText(text);
    Shard& shard = shards_[hash % kShards];
    std::lock_guard<standin::SpinLock> lock(shard.lock);
    std::size_t free = kNone;
    for (std::size_t i = Home(shard, hash);; i = Next(shard, i)) {
      const Slot& slot = shard.slots[i];
      if (slot.rep == nullptr) break;
      if (slot.rep == Tombstone()) {
        if (free == kNone) free = i;
      } else if (slot.hash == hash && slot.rep->view() == text) {
        slot.rep->references.fetch_add(1, std::memory_order_relaxed);
        return slot.rep;
      }
    }
    const Rep* rep = NewRep(text, hash, true);
    Insert(shard, rep, free);
    return rep;
  }

  // Gives back one reference; the last one removes the text. Under the shard's lock, so that a
  // concurrent Share never finds a text that is being freed.
  void Drop(const Rep* rep) {
    Shard& shard = shards_[rep->hash % kShards];
    std::lock_guard<standin::SpinLock> lock(shard.lock);
    if (rep->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    for (std::size_t i = Home(shard, rep->hash);; i = Next(shard, i)) {
      if (shard.slots[i].rep == rep) {
        shard.slots[i].rep = Tombstone();
        --shard.live;
        break;
      }
    }
    FreeRep(rep);
  }

 private:
  static constexpr std::size_t kShards = 16;
  static constexpr std::size_t kNone = ~std::size_t{0};

  // The hash beside the text, so that a probe past other texts reads no text of theirs: in a
  // table of many texts each of those reads would miss the cache.
  struct Slot {
    std::size_t hash;
    const Rep* rep;
  };

  struct Shard {
    standin::SpinLock lock;
    std::vector<Slot> slots = std::vector<Slot>(64, Slot{0, nullptr});  // a power of two
    std::size_t used = 0;                                               // live texts and tombstones
    std::size_t live = 0;
  };

  static const Rep* Tombstone() {
    static const Rep tombstone{{0}, 0, 0, false};
    return &tombstone;
  }
  static std::size_t Home(const Shard& shard, std::size_t hash) {
    return (hash / kShards) & (shard.slots.size() - 1);
  }
  static std::size_t Next(const Shard& shard, std::size_t i) {
    return (i + 1) & (shard.slots.size() - 1);
  }

  void Insert(Shard& shard, const Rep* rep, std::size_t free) {
    if (free != kNone) {
      shard.slots[free] = {rep->hash, rep};
      ++shard.live;
      return;
    }
    if ((shard.used + 1) * 10 > shard.slots.size() * 7) Rehash(shard);
    std::size_t i = Home(shard, rep->hash);
    while (shard.slots[i].rep != nullptr) i = Next(shard, i);
    shard.slots[i] = {rep->hash, rep};
    ++shard.used;
    ++shard.live;
  }

  // Grows the table when it is mostly live, and clears the tombstones in any case.
  void Rehash(Shard& shard) {
    std::vector<Slot> old(
        shard.live * 2 >= shard.slots.size() ? shard.slots.size() * 2 : shard.slots.size(),
        Slot{0, nullptr});
    old.swap(shard.slots);
    for (const Slot& slot : old) {
      if (slot.rep == nullptr || slot.rep == Tombstone()) continue;
      std::size_t i = Home(shard, slot.hash);
      while (shard.slots[i].rep != nullptr) i = Next(shard, i);
      shard.slots[i] = slot;
    }
    shard.used = shard.live;
  }

  Shard shards_[kShards];
};

TextTable& Texts() {
  static TextTable* table = new TextTable;  // never destroyed: symbols outlive static order
  return *table;
}

const Rep* MakeRep(std::string_view text) {
  return text.size() <= kLongestSharedText ? Texts().Share(text) : NewRep(text, 0, false);
}

const Rep* Share(const Rep* rep) noexcept {
  if (rep != nullptr) rep->references.fetch_add(1, std::memory_order_relaxed);
  return rep;
}

void Drop(const Rep* rep) noexcept {
  if (rep == nullptr) return;
  if (rep->shared) {
    // Not the last reference: no lock needed, nobody can free it meanwhile.
    int count = rep->references.load(std::memory_order_relaxed);
    while (count > 1) {
      if (rep->references.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel)) {
        return;
      }
    }
    Texts().Drop(rep);
    return;
  }
  if (rep->references.fetch_sub(1, std::memory_order_acq_rel) == 1) FreeRep(rep);
}

}  // namespace

const Symbol Symbol::EMPTY("");

Symbol::Symbol(const char* text) : rep_(text ? MakeRep(text) : nullptr) {}

Symbol::Symbol(const std::string& text) : rep_(MakeRep(text)) {}

Symbol::Symbol(const Symbol& other) noexcept : rep_(Share(other.rep_)) {}

Symbol::Symbol(Symbol&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }

Symbol::~Symbol() { Drop(rep_); }

Symbol& Symbol::operator=(const Symbol& other) noexcept {
  if (this != &other && rep_ != other.rep_) {
    Drop(rep_);
    rep_ = Share(other.rep_);
  }
  return *this;
}

Symbol& Symbol::operator=(Symbol&& other) noexcept {
  if (this != &other) {
    Drop(rep_);
    rep_ = other.rep_;
    other.rep_ = nullptr;
  }
  return *this;
}

Symbol& Symbol::operator=(const std::string& text) { return *this = Symbol(text); }

Symbol& Symbol::operator=(const char* text) { return *this = Symbol(text); }

const char* Symbol::c_str() const noexcept { return rep_ ? rep_->text() : nullptr; }

const char* Symbol::safe_c_str() const noexcept { return rep_ ? rep_->text() : ""; }

std::size_t Symbol::length() const noexcept { return rep_ ? rep_->length : 0; }

std::string Symbol::substr(std::size_t pos, std::size_t count) const {
  const std::size_t size = length();
  if (pos >= size) return std::string();
  return std::string(rep_->text() + pos, std::min(count, size - pos));
}

// Unformatted, straight into the stream's buffer: writers print many short symbols, and a
// sentry per call would cost more than the bytes. A failed write leaves badbit.
void Symbol::Print(std::ostream& out) const {
  const std::streamsize size = std::streamsize(length());
  if (size == 0 || !out.good()) return;
  if (out.rdbuf() == nullptr || out.rdbuf()->sputn(safe_c_str(), size) != size) {
    out.setstate(std::ios_base::badbit);
  }
}

bool Symbol::operator==(const Symbol& other) const noexcept {
  if (rep_ == other.rep_) return true;
  if (rep_ == nullptr || other.rep_ == nullptr || rep_->length != other.rep_->length) return false;
  return std::memcmp(rep_->text(), other.rep_->text(), rep_->length) == 0;
}

struct SymbolAccess {
  static Symbol Unshared(const char* text) {
    return Symbol(text != nullptr ? NewRep(text, 0, false) : nullptr);
  }
};

}  // namespace du

long standin::LiveSymbolTexts() { return du::liveTexts.load(); }

du::Symbol standin::UnsharedSymbol(const char* text) { return du::SymbolAccess::Unshared(text); }
