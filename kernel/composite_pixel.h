// The main streak layer laid over one rendered pixel.
#pragma once
#include <cstdint>

namespace qxv {

// Moves the pixel's colour toward the layer's by twice the layer's coverage
// times mainStrength / 10, over 128. Once mainStrength times the coverage
// reaches 645 (strength 5.08 at full coverage) the colour overshoots the
// layer's, each channel clamped to 0..255. Writes the channels to red,
// green, blue and returns the packed colour with bits 24-31 clear.
std::uint32_t CompositeMainLayer(std::uint32_t pixel, std::uint32_t layer, float mainStrength,
                                 std::int32_t* red, std::int32_t* green, std::int32_t* blue);

}  // namespace qxv
