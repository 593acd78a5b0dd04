// 3x3 neighbourhood arithmetic on streak-layer values: the smoothing filter
// of the layers and the blend of the secondary layer into the image.
//
// Neighbourhood order: 0 centre, 1 right, 2 left, 3 upper right, 4 up,
// 5 upper left, 6 lower right, 7 down, 8 lower left. Kernel 1 3 1 / 3 4 3 /
// 1 3 1 over 20. Missing neighbours are passed as 0 (empty).
#pragma once
#include <cstdint>

namespace qxv {

// The smoothed value of n[0]. Empty neighbours borrow a nearby colour and
// weaker ones are pulled toward the centre's colour, so that thin coverage
// fades the streak without darkening it. With honourMarks a marked neighbour
// counts as a copy of the centre.
std::uint32_t SmoothPixel(const std::uint32_t n[9], bool honourMarks);

// Moves the colour toward the target by (1.5 f + 8) / 128, f = weight / 10 *
// a; the result never has a lower weighted brightness than the colour had.
// Past f = 80 (weight 6.38 at full coverage) the colour overshoots the
// target, away from where it started, each channel clamped to 0..255.
void BlendBrighter(float weight, std::int32_t a, std::int32_t* red, std::int32_t* green,
                   std::int32_t* blue, std::int32_t targetRed, std::int32_t targetGreen,
                   std::int32_t targetBlue);

// The highest coverage a streak-layer value holds.
inline constexpr std::int32_t kMaxCoverage = 127;

// The blend's step (1.5 f + 8, over 128) for every coverage a smoothed
// neighbourhood can have, for one strength: worked out once per pass
// instead of once per pixel.
struct BlendFactors {
  double byCoverage[kMaxCoverage + 1];
};
BlendFactors MakeBlendFactors(float weight);

// Smooths the unmarked and the marked pixels of a secondary-layer
// neighbourhood separately and blends each into the colour, the unmarked set
// with the main strength's factors, then the marked set with the alternate
// strength's.
void BlendNeighbourhood(const BlendFactors& main, const BlendFactors& alternate,
                        std::int32_t* red, std::int32_t* green, std::int32_t* blue,
                        std::uint32_t centre, std::uint32_t left, std::uint32_t right,
                        std::uint32_t up, std::uint32_t down, std::uint32_t upperLeft,
                        std::uint32_t upperRight, std::uint32_t lowerLeft,
                        std::uint32_t lowerRight);

}  // namespace qxv
