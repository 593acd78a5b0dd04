// One step of the trail fade of a streak layer: coverage drops by a step per
// frame, with separate steps for unmarked and marked pixels.
#pragma once
#include <cstdint>

#include "kernel/streak_pixel.h"

namespace qxv {

// A layer is faded only when one of its counts asks for more than one frame.
inline bool FadeCountsApply(std::int32_t count, std::int32_t markedCount) {
  return count > 1 || markedCount > 1;
}

// 128 / count, a count of 0 taken as 1. A negative count gives a negative
// step, which raises the coverage.
inline std::int32_t FadeStep(std::int32_t count) { return 128 / (count == 0 ? 1 : count); }

// Only the low 7 bits of the new coverage are kept, so a raised coverage
// wraps; a pixel whose coverage ends at 0 is cleared for good, mark bit and
// colour included.
inline std::uint32_t FadeStreakPixel(std::uint32_t v, std::int32_t step, std::int32_t markedStep) {
  const std::int64_t coverage = static_cast<std::int64_t>(Coverage(v));
  const std::int64_t s = coverage - ((v & kMarkBit) != 0u ? markedStep : step);
  if (s <= 0 || (s & 127) == 0) return 0u;
  return (v & (kMarkBit | kColourBits)) | (static_cast<std::uint32_t>(s & 127) << 24);
}

}  // namespace qxv
