// The streak phase's work at one pixel: where the pixel's part of its
// object was in the previous frame, and the streak (and reverse streak)
// painted towards it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "blur/pass.h"
#include "kernel/paint_streak.h"

namespace qxv {

// A match view's locked tile, addressed by position within its own
// rectangle: a host may cut a view's edge tiles to the buffer while the
// image's reach past it, so the rows are as long as the view tile is wide.
struct MatchTile {
  const std::uint32_t* memory;  // null: read through the view's cursor
  std::ptrdiff_t stride;
  std::int32_t top;
  std::int32_t left;
};

// What the step reads and writes for the current image tile. Whole-image
// buffers are addressed y * width + x.
struct StreakTileMemory {
  MatchTile match1;
  MatchTile match2;
  std::uint32_t* mainLayer;
  std::uint32_t* secondaryLayer;
  const std::uint32_t* tags;
  const std::uint32_t* depth;
};

inline std::int32_t Sign(std::int32_t v) { return (v > 0) - (v < 0); }

// What every step of a streak phase shares, worked out once from the pass's
// parameters. Arrays are indexed 0 for the main set, 1 for the alternate set.
struct StreakConstants {
  StreakSettings settings;
  double lengthFactor[2];  // the streak length / 10
  double floor[2];         // the intensity below which a walk stops
  double echoRestart;      // 255 - 256 / echoCount
  double reverseFactor;    // reverseLength / 10, used only while above 0
};

StreakConstants MakeStreakConstants(const ParameterBlock& p);

// The image's cursor (and the alternate view's) stands at (x, y).
void StreakPixelStep(Pass* pass, const StreakTileMemory& w, const StreakConstants& constants,
                     std::int32_t x, std::int32_t y);

}  // namespace qxv
