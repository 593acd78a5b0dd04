// The streak phase's work at one pixel: where the pixel's part of its
// object was in the previous frame, and the streak (and reverse streak)
// painted towards it.
#pragma once
#include <cstdint>

#include "blur/pass.h"
#include "kernel/paint_streak.h"

namespace qxv {

// What the step reads and writes for the current image tile. Whole-image
// buffers are addressed y * width + x; the match views' paired tiles (when
// not null) by position within the tile, rows of tileWidth elements.
struct StreakTileMemory {
  const std::uint32_t* match1;  // null: read through the view's cursor
  const std::uint32_t* match2;
  std::uint32_t* mainLayer;
  std::uint32_t* secondaryLayer;
  const std::uint32_t* tags;
  const std::uint32_t* depth;
  std::int32_t top;
  std::int32_t left;
};

inline std::int32_t Sign(std::int32_t v) { return (v > 0) - (v < 0); }

// The image's cursor (and the alternate view's) stands at (x, y).
void StreakPixelStep(Pass* pass, const StreakTileMemory& w, const StreakSettings& settings,
                     std::int32_t x, std::int32_t y);

}  // namespace qxv
