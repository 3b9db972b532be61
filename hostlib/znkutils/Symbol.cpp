#include "du/Symbol.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>

#include "standin/Ledger.h"

namespace du {

// One shared, immutable text: a header followed directly by the bytes and a terminating zero.
struct Symbol::Rep {
  mutable std::atomic<int> references;
  std::size_t length;

  const char* text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
};

namespace {

std::atomic<long> liveTexts{0};

const Symbol::Rep* NewRep(const char* text, std::size_t length) {
  void* block = std::malloc(sizeof(Symbol::Rep) + length + 1);
  if (block == nullptr) throw std::bad_alloc();
  auto* rep = new (block) Symbol::Rep{{1}, length};
  char* bytes = reinterpret_cast<char*>(rep + 1);
  std::memcpy(bytes, text, length);
  bytes[length] = '\0';
  liveTexts.fetch_add(1, std::memory_order_relaxed);
  return rep;
}

const Symbol::Rep* Share(const Symbol::Rep* rep) noexcept {
  if (rep != nullptr) rep->references.fetch_add(1, std::memory_order_relaxed);
  return rep;
}

void Drop(const Symbol::Rep* rep) noexcept {
  if (rep == nullptr || rep->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  rep->~Rep();
  std::free(const_cast<Symbol::Rep*>(rep));
  liveTexts.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

const Symbol Symbol::EMPTY("");

Symbol::Symbol(const char* text) : rep_(text ? NewRep(text, std::strlen(text)) : nullptr) {}

Symbol::Symbol(const std::string& text) : rep_(NewRep(text.data(), text.size())) {}

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

void Symbol::Print(std::ostream& out) const { out.write(safe_c_str(), std::streamsize(length())); }

bool Symbol::operator==(const Symbol& other) const noexcept {
  if (rep_ == other.rep_) return true;
  if (rep_ == nullptr || other.rep_ == nullptr || rep_->length != other.rep_->length) return false;
  return std::memcmp(rep_->text(), other.rep_->text(), rep_->length) == 0;
}

}  // namespace du

long standin::LiveSymbolTexts() { return du::liveTexts.load(); }
