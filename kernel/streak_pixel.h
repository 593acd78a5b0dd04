// StreakPixel, the value of both streak layers: colour in bits 0-23 (red
// 16-23, green 8-15, blue 0-7), coverage 0..127 in bits 24-30, mark bit 31.
#pragma once
#include <cstdint>

#include "kernel/float_to_int.h"

namespace qxv {

constexpr std::uint32_t kMarkBit = 0x80000000u;
constexpr std::uint32_t kColourBits = 0x00FFFFFFu;
constexpr std::uint32_t kCoverageBits = 0x7F000000u;

inline std::uint32_t Coverage(std::uint32_t s) { return (s >> 24) & 0x7Fu; }

// The mark bit alone does not make a pixel non-empty.
inline bool IsEmptyStreakPixel(std::uint32_t s) { return (s & ~kMarkBit) == 0u; }

// Integer brightness of a packed colour; deliberately truncated, unlike the
// brightness the neighbourhood blend compares.
inline std::int32_t Luma(std::uint32_t colour) {
  const double red = static_cast<double>((colour >> 16) & 0xFFu);
  const double green = static_cast<double>((colour >> 8) & 0xFFu);
  const double blue = static_cast<double>(colour & 0xFFu);
  return ToInt32(0.6 * green + 0.3 * red + 0.1 * blue);
}

}  // namespace qxv
