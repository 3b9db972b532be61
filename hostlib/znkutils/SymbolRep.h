#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "du/Symbol.h"

namespace du {

// One immutable text: an eight-byte header followed directly by the bytes and a terminating
// zero. Tables hold millions of short texts, so the header is as small as the protocol allows.
struct Symbol::Rep {
  // Set in `sized` when the text was made recent (RecentTexts.h): its bucket may hold it until
  // its last reference goes, and that release looks for it there. A text made otherwise is
  // reached only through its symbols. With the mark, `sized` also names the bucket, so that a
  // release finds it without hashing the text again, and the length, at most kRecentLength
  // then, sits below it.
  static constexpr std::uint32_t kRecent = std::uint32_t{1} << 31;
  static constexpr std::uint32_t kRecentLength = 0xFF;
  static constexpr int kBucketShift = 8;
  static constexpr std::uint32_t kNotRecent = ~std::uint32_t{0};

  mutable std::atomic<std::uint32_t> references;
  // The length, and kRecent with the bucket; written once, when the text is made.
  const std::uint32_t sized;

  std::uint32_t length() const noexcept {
    return sized & ((sized & kRecent) != 0 ? kRecentLength : ~kRecent);
  }
  bool recent() const noexcept { return (sized & kRecent) != 0; }
  const char* text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
  std::string_view view() const noexcept { return {text(), length()}; }
};

}  // namespace du

// Storage of texts (TextStore.cpp): short ones from the host's chunks in size classes, long ones
// from malloc.
namespace standin {

// A new text with one reference, recent in the given bucket or not recent; throws
// std::bad_alloc, or std::length_error for a text of 2 GiB or more.
const du::Symbol::Rep* NewText(std::string_view text,
                               std::uint32_t recentBucket = du::Symbol::Rep::kNotRecent);
// Gives the storage of a text without references back.
void FreeText(const du::Symbol::Rep* rep) noexcept;

}  // namespace standin
