#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "du/HostApi.h"

namespace du {

// Immutable text handle held through one pointer. A default-made symbol is unset (no text at
// all), which is not the same as the empty text of Symbol::EMPTY.
class ZN_HOST_API Symbol {
 public:
  static const Symbol EMPTY;

  Symbol() noexcept = default;
  Symbol(const char* text);  // NOLINT(google-explicit-constructor): a null text makes it unset
  Symbol(const std::string& text);  // NOLINT(google-explicit-constructor)
  Symbol(const Symbol& other) noexcept;
  Symbol(Symbol&& other) noexcept;
  ~Symbol();

  Symbol& operator=(const Symbol& other) noexcept;
  Symbol& operator=(Symbol&& other) noexcept;
  Symbol& operator=(const std::string& text);
  Symbol& operator=(const char* text);

  bool IsNull() const noexcept { return rep_ == nullptr; }
  // The text, or null when unset.
  const char* c_str() const noexcept;
  // The text, or "" when unset; never null.
  const char* safe_c_str() const noexcept;
  std::size_t length() const noexcept;
  // Like std::string::substr, except that a position past the end gives "" instead of throwing.
  std::string substr(std::size_t pos, std::size_t count = std::string::npos) const;
  void Print(std::ostream& out) const;

  // Equal when both are unset, or both are set with the same bytes.
  bool operator==(const Symbol& other) const noexcept;
  bool operator!=(const Symbol& other) const noexcept { return !(*this == other); }

  struct Rep;

 private:
  friend struct SymbolAccess;  // the host library's own ways of making texts
  explicit Symbol(const Rep* rep) noexcept : rep_(rep) {}

  const Rep* rep_ = nullptr;
};

}  // namespace du
