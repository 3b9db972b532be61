#pragma once

#include <cstdint>

#include "du/HostApi.h"

namespace dg {

// An RGBA colour with 8 bits per channel.
class ZN_HOST_API Color {
 public:
  Color() noexcept = default;  // opaque black
  // From 0xRRGGBBAA when `hasAlpha`, else from 0xRRGGBB (opaque).
  Color(unsigned int value, bool hasAlpha) noexcept;

  // Packed as 0xRRGGBBAA.
  unsigned int GetAsHexUI() const noexcept;

  bool operator==(const Color& other) const noexcept { return GetAsHexUI() == other.GetAsHexUI(); }
  bool operator!=(const Color& other) const noexcept { return !(*this == other); }

 private:
  std::uint8_t red_ = 0;
  std::uint8_t green_ = 0;
  std::uint8_t blue_ = 0;
  std::uint8_t alpha_ = 0xFF;
};

}  // namespace dg
