#pragma once

#include <string_view>

#include "SymbolRep.h"

// Sharing of repeated short texts. Tables repeat names, files and properties, and one copy of
// each saves memory; but many texts never repeat, and a table of every text ever made costs a
// cache miss per lookup once it holds millions, and again per release. So only texts made
// recently are looked up: a fixed set of buckets of a few texts each, the last hit or made
// first. A text pushed out of its bucket lives on with its symbols, unshared from then on; its
// last release still looks for it in its bucket.
namespace standin {

// Texts up to this length are looked up; longer ones (comments) rarely repeat.
constexpr std::size_t kLongestSharedText = 64;

// Tells the calling thread that the texts it makes next come from a new line.
void StartLineOfTexts() noexcept;

// A recent text equal to `text` with one more reference, or a new one that becomes recent; or,
// where the texts at this position of a line have not been repeating, often a new text that is
// not recent.
const du::Symbol::Rep* ShareText(std::string_view text);

// Gives back one reference of a text, recent or not, freeing it with the last.
void DropText(const du::Symbol::Rep* rep) noexcept;
// The same for what the caller saw as the last reference of a recent text.
void DropLastRecent(const du::Symbol::Rep* rep) noexcept;

}  // namespace standin
