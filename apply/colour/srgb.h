// Fractions as the integer levels files store (255 for a byte, 65535 for
// 16 bits), and the sRGB curve between linear light and encoded fractions.
// Every conversion of colour to and from codes and file samples goes
// through these, so they round alike.
#pragma once
#include <cstdint>

namespace qxv::apply {

// 0..1; NaN is 0.
inline double ClampUnit(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

// The nearest of the levels 0..top to the clamped fraction.
inline std::uint32_t Level(double fraction, double top) {
  return static_cast<std::uint32_t>(ClampUnit(fraction) * top + 0.5);
}

// Linear light from an sRGB-encoded fraction of 0..1, and back (clamped to
// 0..1, NaN as 0).
double SrgbToLinear(double encoded);
double LinearToSrgb(double linear);

// The 8-bit sRGB code of linear light, and back.
std::uint8_t EncodeSrgb(double linear);
double DecodeSrgb(std::uint8_t code);

}  // namespace qxv::apply
