#include "HostLimits.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "standin/InputLimits.h"

namespace etbtool {

namespace {

// "4096", "64K", "256M", "4G"; nothing for anything else or a size past 64 bits.
std::optional<std::uint64_t> SizeOf(const std::string& text) {
  std::uint64_t number = 0;
  const char* const end = text.data() + text.size();
  const auto [unitAt, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || end - unitAt > 1) return std::nullopt;
  int shift = 0;
  if (unitAt != end) {
    const std::string units = "KMG";
    const std::size_t unit = units.find(*unitAt);
    if (unit == std::string::npos) return std::nullopt;
    shift = 10 * int(unit + 1);
  }
  if (number > (~std::uint64_t{0} >> shift)) return std::nullopt;
  return number << shift;
}

template <typename Set>
bool Apply(const char* variable, Set set, std::ostream& err) {
  const char* value = std::getenv(variable);
  if (value == nullptr) return true;
  const std::optional<std::uint64_t> size = SizeOf(value);
  if (!size) {
    err << "etbtool: " << variable << " must be a number of bytes, optionally with K, M or G: '"
        << value << "'\n";
    return false;
  }
  set(*size);
  return true;
}

}  // namespace

bool ApplyHostLimits(std::ostream& err) {
  return Apply("ETBTOOL_MAX_LINE", standin::SetLineLengthLimit, err) &&
         Apply("ETBTOOL_MAX_STORE", standin::SetPreferenceStoreSizeLimit, err) &&
         Apply("ETBTOOL_MAX_EXTRACT", standin::SetZipExtractBudget, err);
}

}  // namespace etbtool
