#include "apply/colour/srgb.h"

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

double DecodeSrgb(std::uint8_t code) { return SrgbToLinear(code / 255.0); }

}  // namespace qxv::apply
