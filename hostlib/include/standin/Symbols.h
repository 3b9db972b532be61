#pragma once

#include <cstddef>

#include "du/Symbol.h"

namespace standin {

// A symbol whose text lives in storage of its own, shared with no other symbol, and freed with
// its last reference; unset for a null text.
du::Symbol UnsharedSymbol(const char* text);

// With `on`, every text getter of a table entry answers a new unshared symbol on each call, the
// way a host that joins a name and its component path on demand does: a caller that keeps a
// pointer into an answer past its use reads freed memory. Off by default.
void SetFreshEntryTexts(bool on);

// Asks the processor to fetch the texts of `count` symbols ahead of a walk that will take or
// give back references to them; nothing for an unset symbol.
void PrefetchTexts(const du::Symbol* const* symbols, std::size_t count) noexcept;

}  // namespace standin
