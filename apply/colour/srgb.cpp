#include "apply/colour/srgb.h"

#include <array>
#include <cmath>

namespace qxv::apply {

double SrgbToLinear(double e) {
  return e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double linear) {
  const double v = ClampUnit(linear);
  return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}

std::uint8_t EncodeSrgb(double linear) {
  return static_cast<std::uint8_t>(Level(LinearToSrgb(linear), 255.0));
}

double DecodeSrgb(std::uint8_t code) {
  // Every blurred sample is decoded: a power per sample costs more than
  // the rest of the picture's making.
  static const std::array<double, 256> linear = [] {
    std::array<double, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = SrgbToLinear(c / 255.0);
    return t;
  }();
  return linear[code];
}

}  // namespace qxv::apply
