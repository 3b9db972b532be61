#include "dg/Color.h"

namespace dg {

Color::Color(unsigned int value, bool hasAlpha) noexcept {
  if (!hasAlpha) value = (value << 8) | 0xFFu;
  red_ = std::uint8_t(value >> 24);
  green_ = std::uint8_t(value >> 16);
  blue_ = std::uint8_t(value >> 8);
  alpha_ = std::uint8_t(value);
}

unsigned int Color::GetAsHexUI() const noexcept {
  return (unsigned(red_) << 24) | (unsigned(green_) << 16) | (unsigned(blue_) << 8) | alpha_;
}

}  // namespace dg
