// How a painted streak sample competes with the value already in a layer.
// Samples are never blended: one of the two values survives.
#pragma once
#include <cstdint>

#include "kernel/streak_pixel.h"

namespace qxv {

// The weight of marked samples against unmarked ones in the secondary layer,
// (1 + altStrength) / (1 + mainStrength) in single precision.
float WeightMarked(float mainStrength, float altStrength);

// colourLuma is Luma(colour), worked out by the caller once: a streak paints
// one colour along its whole walk.

// Main layer: darker and denser samples win. An outline sample only fills
// empty or marked pixels, and marks what it writes there.
std::uint32_t MixMainSample(std::int32_t a, std::uint32_t colour, std::int32_t colourLuma,
                            std::uint32_t existing, bool outline);

// Secondary layer: brighter and denser samples win, marked ones weighted by
// weightMarked. mark is 0 or kMarkBit.
std::uint32_t MixSecondarySample(std::int32_t a, std::uint32_t mark, std::uint32_t colour,
                                 std::int32_t colourLuma, std::uint32_t existing,
                                 float weightMarked);

}  // namespace qxv
