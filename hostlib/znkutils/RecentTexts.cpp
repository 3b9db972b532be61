#include "RecentTexts.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "Counting.h"
#include "SpinLock.h"

namespace {

using Rep = du::Symbol::Rep;

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

// A hash of a short text, eight bytes at a time: every column of every record is hashed, and a
// general-purpose byte hash was a tenth of a load.
std::uint64_t HashText(std::string_view text) {
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

// Whether two texts of `length` bytes are the same, in words, overlapping at the end: texts here
// are short, and a call to memcmp cost more than the comparison.
bool SameBytes(const char* a, const char* b, std::size_t length) {
  if (length >= 8) {
    for (std::size_t at = 0; at + 8 < length; at += 8) {
      if (Load64(a + at) != Load64(b + at)) return false;
    }
    return Load64(a + length - 8) == Load64(b + length - 8);
  }
  if (length >= 4) {
    return Load32(a) == Load32(b) && Load32(a + length - 4) == Load32(b + length - 4);
  }
  for (std::size_t at = 0; at < length; ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

// One cache line: a lock, and texts with the high half of their hash and their length, most
// recent first. Hash and length let a lookup pass texts without reading them, and let a text
// leave without its header being read.
constexpr int kWays = 4;
struct alignas(64) Bucket {
  standin::SpinLock lock;
  std::uint32_t tags[kWays] = {};
  std::uint8_t lengths[kWays] = {};
  const Rep* reps[kWays] = {};
};
static_assert(standin::kLongestSharedText <= Rep::kRecentLength, "bucket lengths are bytes");

// Few enough buckets to stay in the processor's cache: a text that comes back within a few
// thousand records is found there cheaply, and one that comes back only after a long way (a
// part's name every fifty thousand records) cost a miss to find, a miss to compare and a miss to
// push out, more than a copy of its own costs.
constexpr std::size_t kBuckets = std::size_t{1} << 12;
static_assert(kBuckets << Rep::kBucketShift <= Rep::kRecent, "a bucket fits a text's header");

Bucket* Buckets() {
  static Bucket* const buckets = new Bucket[kBuckets];  // never freed: texts outlive static order
  return buckets;
}

// The bucket a recent text's header names.
Bucket& BucketNamedBy(std::uint32_t sized) {
  return Buckets()[(sized & ~Rep::kRecent) >> Rep::kBucketShift];
}

// Moves the text at `way` to the front, the others down by one.
void ToFront(Bucket& bucket, int way, std::uint32_t tag, std::uint8_t length, const Rep* rep) {
  for (int w = way; w > 0; --w) {
    bucket.tags[w] = bucket.tags[w - 1];
    bucket.lengths[w] = bucket.lengths[w - 1];
    bucket.reps[w] = bucket.reps[w - 1];
  }
  bucket.tags[0] = tag;
  bucket.lengths[0] = length;
  bucket.reps[0] = rep;
}

// A line's texts are made in the same order line after line, one column after the other, and
// columns differ: property names repeat all the time, annotation names hardly ever. So each
// position in a line keeps count of its own lookups, and after a round of kRound that found
// fewer than one in kWorthIt, only every kSampled-th text there is looked up, until a round finds
// more. A column that does not repeat then costs no lookup. Counted per thread, without locks.
constexpr std::uint32_t kRound = 1024;
constexpr std::uint32_t kWorthIt = 4;
constexpr std::uint32_t kSampled = 16;
constexpr std::size_t kPositions = 16;  // the last one takes every later text of a line

struct Position {
  std::uint32_t lookups = 0;
  std::uint32_t hits = 0;
  std::uint32_t passed = 0;
  bool sampling = false;
};

struct LineTexts {
  std::size_t next = 0;  // the position of the next text made
  Position positions[kPositions];
};

__attribute__((tls_model("initial-exec"))) thread_local LineTexts lineTexts;

// The position of a text about to be made, and whether to look it up.
Position& NextPosition() {
  LineTexts& line = lineTexts;
  Position& position = line.positions[line.next];
  if (line.next + 1 < kPositions) ++line.next;
  return position;
}

bool WorthLookingUp(Position& position) {
  return !position.sampling || ++position.passed % kSampled == 0;
}

void Count(Position& position, bool hit) {
  position.hits += hit ? 1 : 0;
  if (++position.lookups < kRound) return;
  position.sampling = position.hits * kWorthIt < kRound;
  position.lookups = 0;
  position.hits = 0;
}

}  // namespace

void standin::StartLineOfTexts() noexcept { lineTexts.next = 0; }

const Rep* standin::ShareText(std::string_view text) {
  Position& position = NextPosition();
  if (!WorthLookingUp(position)) return NewText(text);
  const std::uint64_t hash = HashText(text);
  const auto tag = std::uint32_t(hash >> 32);
  const auto length = std::uint8_t(text.size());
  const auto index = std::uint32_t(hash & (kBuckets - 1));
  Bucket& bucket = Buckets()[index];
  std::lock_guard<standin::SpinLock> lock(bucket.lock);
  for (int way = 0; way < kWays; ++way) {
    const Rep* rep = bucket.reps[way];
    if (rep != nullptr && bucket.tags[way] == tag && bucket.lengths[way] == length &&
        SameBytes(rep->text(), text.data(), length)) {
      standin::FetchAdd(rep->references, 1U, std::memory_order_relaxed);
      ToFront(bucket, way, tag, length, rep);
      Count(position, true);
      return rep;
    }
  }
  Count(position, false);
  // The last text leaves for good; its symbols keep it, unshared. It is not told: it was made
  // long ago and is rarely in the cache, and its release looks for it in vain, in a bucket that is.
  const Rep* rep = NewText(text, index);
  ToFront(bucket, kWays - 1, tag, length, rep);
  return rep;
}

void standin::DropText(const Rep* rep) noexcept {
  // A text that was never recent is reached only through its symbols: when its one reference is
  // the caller's, nobody else can take another, so it goes without an atomic operation (a table
  // of unique texts gives back millions of them).
  if (!rep->recent() && rep->references.load(std::memory_order_acquire) == 1) {
    return FreeText(rep);
  }
  std::uint32_t count = rep->references.load(std::memory_order_relaxed);
  if (SingleThreaded()) {
    if (count == 1 && rep->recent()) return DropLastRecent(rep);
    rep->references.store(count - 1, std::memory_order_relaxed);
    if (count == 1) FreeText(rep);
    return;
  }
  for (;;) {
    // The last reference of a recent text goes under its bucket's lock, so that a lookup never
    // finds a text that is being freed. Any other release needs no lock.
    if (count == 1 && rep->recent()) return DropLastRecent(rep);
    if (rep->references.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel,
                                              std::memory_order_relaxed)) {
      if (count == 1) FreeText(rep);
      return;
    }
  }
}

void standin::DropLastRecent(const Rep* rep) noexcept {
  Bucket& bucket = BucketNamedBy(rep->sized);
  {
    std::lock_guard<standin::SpinLock> lock(bucket.lock);
    if (FetchSub(rep->references, 1U, std::memory_order_acq_rel) != 1) return;  // taken again
    // Not there when pushed out meanwhile.
    for (int way = 0; way < kWays; ++way) {
      if (bucket.reps[way] != rep) continue;
      for (int w = way; w + 1 < kWays; ++w) {
        bucket.tags[w] = bucket.tags[w + 1];
        bucket.lengths[w] = bucket.lengths[w + 1];
        bucket.reps[w] = bucket.reps[w + 1];
      }
      bucket.reps[kWays - 1] = nullptr;
      break;
    }
  }
  FreeText(rep);
}
