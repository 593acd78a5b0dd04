#include "kernel/composite_pixel.h"

#include "kernel/float_to_int.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

std::int32_t Channel(std::uint32_t v, int shift) {
  return static_cast<std::int32_t>((v >> shift) & 0xFFu);
}

std::int32_t Mix(std::int32_t q, std::int32_t r, std::int32_t k) {
  const double mixed = static_cast<double>(q) + (static_cast<double>(r) - static_cast<double>(q)) /
                                                    128.0 * static_cast<double>(k);
  const std::int32_t v = ToInt32(mixed);
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

}  // namespace

std::uint32_t CompositeMainLayer(std::uint32_t pixel, std::uint32_t layer, float mainStrength,
                                 std::int32_t* red, std::int32_t* green, std::int32_t* blue) {
  const std::uint32_t w = Coverage(layer) << 1;  // twice the coverage
  if (w == 0u) {
    // k is 0 (NaN or infinite strengths too), and q + (r - q) / 128 * 0 is q.
    *red = Channel(pixel, 16);
    *green = Channel(pixel, 8);
    *blue = Channel(pixel, 0);
    return pixel & 0x00FFFFFFu;
  }
  const std::int32_t k = ToInt32(static_cast<double>(mainStrength) / 10.0 * static_cast<double>(w));
  *red = Mix(Channel(pixel, 16), Channel(layer, 16), k);
  *green = Mix(Channel(pixel, 8), Channel(layer, 8), k);
  *blue = Mix(Channel(pixel, 0), Channel(layer, 0), k);
  return (static_cast<std::uint32_t>(*red) << 16) | (static_cast<std::uint32_t>(*green) << 8) |
         static_cast<std::uint32_t>(*blue);
}

}  // namespace qxv
