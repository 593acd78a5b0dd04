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

// The three weighted channels of Luma as tables of the very products the
// formula forms (0.6 x green, 0.3 x red, 0.1 x blue in double precision):
// adding them in the formula's order gives its sums bit for bit, without a
// conversion or a multiplication per pixel.
struct LumaTerms {
  double green[256], red[256], blue[256];
};
constexpr LumaTerms MakeLumaTerms() {
  LumaTerms t = {};
  for (int v = 0; v < 256; ++v) {
    t.green[v] = 0.6 * static_cast<double>(v);
    t.red[v] = 0.3 * static_cast<double>(v);
    t.blue[v] = 0.1 * static_cast<double>(v);
  }
  return t;
}
inline constexpr LumaTerms kLumaTerms = MakeLumaTerms();

// Integer brightness of a packed colour, 0.6 x green + 0.3 x red + 0.1 x
// blue; deliberately truncated, unlike the brightness the neighbourhood
// blend compares.
inline std::int32_t Luma(std::uint32_t colour) {
  const double sum = kLumaTerms.green[(colour >> 8) & 0xFFu] +
                     kLumaTerms.red[(colour >> 16) & 0xFFu] + kLumaTerms.blue[colour & 0xFFu];
  return ToInt32(sum);
}

}  // namespace qxv
