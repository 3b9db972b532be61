#include "du/Symbol.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string_view>

#include "Counting.h"
#include "RecentTexts.h"
#include "SymbolRep.h"
#include "standin/Symbols.h"

namespace du {

namespace {

using Rep = Symbol::Rep;

const Rep* MakeRep(std::string_view text) {
  return text.size() <= standin::kLongestSharedText ? standin::ShareText(text)
                                                    : standin::NewText(text);
}

const Rep* Share(const Rep* rep) noexcept {
  if (rep != nullptr) standin::FetchAdd(rep->references, 1U, std::memory_order_relaxed);
  return rep;
}

void Drop(const Rep* rep) noexcept {
  if (rep != nullptr) standin::DropText(rep);
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

std::size_t Symbol::length() const noexcept { return rep_ ? rep_->length() : 0; }

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
  return rep_ != nullptr && other.rep_ != nullptr && rep_->view() == other.rep_->view();
}

struct SymbolAccess {
  static Symbol Unshared(const char* text) {
    return Symbol(text != nullptr ? standin::NewText(text) : nullptr);
  }
  static const Symbol::Rep* RepOf(const Symbol& symbol) noexcept { return symbol.rep_; }
};

}  // namespace du

du::Symbol standin::UnsharedSymbol(const char* text) { return du::SymbolAccess::Unshared(text); }

void standin::PrefetchTexts(const du::Symbol* const* symbols, std::size_t count) noexcept {
  // For writing: every walk that wants the texts also counts a reference on their headers.
  for (std::size_t i = 0; i < count; ++i) {
    if (const du::Symbol::Rep* rep = du::SymbolAccess::RepOf(*symbols[i])) {
      __builtin_prefetch(rep, 1);
    }
  }
}
