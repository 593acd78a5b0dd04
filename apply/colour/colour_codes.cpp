#include "apply/colour/colour_codes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "apply/colour/srgb.h"

namespace qxv::apply {
namespace {

// The fold: x above the knee becomes knee + (1 - knee) * u / (1 + u) with
// u = (x - knee) / (1 - knee). It meets the straight line at the knee with
// the same slope, so blends across the knee stay smooth, and it never
// reaches 1.
double Fold(double x) {
  if (!(x > kKnee)) return x;
  if (std::isinf(x)) return 1.0;
  const double u = (x - kKnee) / (1.0 - kKnee);
  return kKnee + (1.0 - kKnee) * (u / (1.0 + u));
}

double Unfold(double y) {
  if (!(y > kKnee)) return y;
  const double v = (y - kKnee) / (1.0 - kKnee);  // below 1 for every code used
  return kKnee + (1.0 - kKnee) * (v / (1.0 - v));
}

// sRGB-encoded fraction of a code's value; the brightest code stands for
// the lower edge of what it covers, as its centre would be 1 (infinity
// once unfolded).
double CodeFraction(std::uint8_t code, CodeRange range) {
  if (code == 255 && range == CodeRange::Extended) return 254.75 / 255.0;
  return code / 255.0;
}

// Where each code starts: the smallest linear value EncodeSrgb gives that
// code or a higher one, found once by halving between neighbouring codes'
// values down to adjacent doubles. A search of the table then gives exactly
// EncodeSrgb's code without a power per sample.
const std::array<double, 256>& CodeStarts() {
  static const std::array<double, 256> starts = [] {
    std::array<double, 256> s{};
    s[0] = -std::numeric_limits<double>::infinity();
    for (int c = 1; c < 256; ++c) {
      double below = DecodeSrgb(static_cast<std::uint8_t>(c - 1));
      double at = DecodeSrgb(static_cast<std::uint8_t>(c));
      while (std::nextafter(below, at) < at) {
        const double mid = below + (at - below) / 2.0;
        (EncodeSrgb(mid) >= c ? at : below) = mid;
      }
      s[c] = at;
    }
    return s;
  }();
  return starts;
}

// The code each of kBins equal steps of 0..1 starts in. The steps are
// narrower than the narrowest code (at the dark end, 1 / (255 x 12.92)), so
// a value's code is its step's or the next: two looks per sample instead of
// a search.
constexpr std::size_t kBins = 4096;
const std::array<std::uint8_t, kBins>& BinCodes() {
  static const std::array<std::uint8_t, kBins> codes = [] {
    const std::array<double, 256>& starts = CodeStarts();
    std::array<std::uint8_t, kBins> c{};
    for (std::size_t b = 0; b < kBins; ++b) {
      const double low = static_cast<double>(b) / kBins;
      c[b] = static_cast<std::uint8_t>(std::upper_bound(starts.begin(), starts.end(), low) -
                                       starts.begin() - 1);
    }
    return c;
  }();
  return codes;
}

std::uint8_t TableEncode(double linear) {
  if (!(linear > 0.0)) return 0;  // NaN too
  if (linear >= 1.0) return 255;
  const std::array<double, 256>& starts = CodeStarts();
  std::uint8_t code = BinCodes()[static_cast<std::size_t>(linear * kBins)];
  while (code < 255 && linear >= starts[code + 1]) ++code;
  return code;
}

}  // namespace

std::uint8_t EncodeLinear(double linear, CodeRange range) {
  return TableEncode(range == CodeRange::Extended ? Fold(linear) : linear);
}

double DecodeLinear(std::uint8_t code, CodeRange range) {
  if (range == CodeRange::Display) return DecodeSrgb(code);
  return Unfold(SrgbToLinear(CodeFraction(code, range)));
}

}  // namespace qxv::apply
