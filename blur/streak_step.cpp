#include "blur/streak_step.h"

#include "blur/previous_position.h"
#include "kernel/float_to_int.h"
#include "kernel/object_tag.h"
#include "kernel/streak_mix.h"
#include "stages/tile_walker.h"
#include "weight/scene_lookup.h"

namespace qxv {
namespace {

bool AskOcclusionGroup(void* context, std::int32_t a, std::int32_t b, bool refresh) {
  return SameOcclusionGroup(static_cast<Pblur*>(context)->sceneObjects, a, b, refresh);
}

// The end of a streak: its length along the motion, always on the positive
// side of the start; the direction travels in sx and sy.
std::int32_t EndCoordinate(std::int32_t start, double k, std::int32_t delta) {
  const double magnitude = delta < 0 ? -static_cast<double>(delta) : static_cast<double>(delta);
  return ToInt32(static_cast<double>(start) + k * magnitude);
}

double StreakFloor(const ParameterBlock& p, bool alternateSet) {
  if (!alternateSet) {
    if (p.streakLength == 10.0f && p.activeTrailFrames > 0.0f) {
      return 256.0 - 256.0 / static_cast<double>(p.activeTrailFrames);
    }
  } else if (p.altLength == 10.0f && p.trailFrames > 0.0f) {
    return 256.0 - 256.0 / static_cast<double>(p.trailFrames);
  }
  return 0.0;
}

std::uint32_t MatchValue(const MatchTile& tile, TileBuffer* view, std::int32_t x, std::int32_t y) {
  if (!tile.memory) return ReadAtCursor(view, x, y);
  return tile.memory[static_cast<std::ptrdiff_t>(y - tile.top) * tile.stride + (x - tile.left)];
}

}  // namespace

StreakConstants MakeStreakConstants(const ParameterBlock& p) {
  StreakConstants c;
  c.settings.echoCount = static_cast<double>(p.echoCount);
  c.settings.jitter = p.jitter != 0;
  c.settings.depthTest = p.depthTest != 0;
  c.settings.secondaryLayer = p.secondaryLayer != 0;
  c.settings.weightMarked = WeightMarked(p.mainStrength, p.altStrength);
  c.lengthFactor[0] = static_cast<double>(p.streakLength) / 10.0;
  c.lengthFactor[1] = static_cast<double>(p.altLength) / 10.0;
  c.floor[0] = StreakFloor(p, false);
  c.floor[1] = StreakFloor(p, true);
  c.echoRestart = 255.0 - 256.0 / static_cast<double>(p.echoCount);
  c.reverseFactor = static_cast<double>(p.reverseLength) / 10.0;
  return c;
}

void StreakPixelStep(Pass* pass, const StreakTileMemory& w, const StreakConstants& constants,
                     std::int32_t x, std::int32_t y) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * pass->info.width + x;
  const std::uint32_t t = w.tags[at];
  const std::uint32_t index = t & kTagIndexMask;
  if (index == 0) return;
  std::uint32_t startDepth = 0, endDepth = 0;
  if (p.depthTest) startDepth = endDepth = w.depth[at];
  const std::uint32_t m1 = MatchValue(w.match1, pass->match1View, x, y);
  const std::uint32_t m2 = MatchValue(w.match2, pass->match2View, x, y);
  std::int32_t px = x, py = y;
  if (!FindPreviousPosition(pblur, pass->reference, index, m1, m2, &px, &py, &pass->found,
                            &endDepth)) {
    return;
  }

  const std::int32_t dx = px - x, dy = py - y;
  const std::int32_t sx = Sign(dx), sy = Sign(dy);
  // The image and the alternate selector are the host's: read through their
  // cursors, and only where a streak is painted.
  const std::uint32_t colour = ReadAtCursor(pass->image, x, y);
  const std::uint32_t altSet = p.secondaryLayer ? ReadAtCursor(pass->alternateView, x, y) : 0u;
  const int set = altSet == 0 ? 0 : 1;
  const double k = constants.lengthFactor[set];

  StreakRequest r;
  r.x0 = x;
  r.y0 = y;
  r.x1 = EndCoordinate(x, k, dx);
  r.y1 = EndCoordinate(y, k, dy);
  r.sx = sx;
  r.sy = sy;
  r.width = static_cast<std::int32_t>(pass->info.width);
  r.height = static_cast<std::int32_t>(pass->info.height);
  r.colour = colour;
  r.altSet = static_cast<std::int32_t>(altSet);
  r.outline = (t & kOutlineBit) != 0;
  r.startIntensity = 255.0;
  r.echoRestart = constants.echoRestart;
  r.objectIndex = static_cast<std::int32_t>(index);
  r.startDepth = startDepth;
  r.endDepth = endDepth;
  r.floor = constants.floor[set];
  StreakCursors cursors;
  cursors.main = w.mainLayer + at;
  cursors.secondary = w.secondaryLayer ? w.secondaryLayer + at : nullptr;
  cursors.tag = w.tags + at;
  cursors.depth = w.depth ? w.depth + at : nullptr;
  PaintStreak(constants.settings, AskOcclusionGroup, pblur, r, cursors);

  if ((t & kSecondStreakBit) != 0 && p.reverseLength > 0.0f) {
    const double reverse = constants.reverseFactor;
    const std::int32_t x1 = r.x1, y1 = r.y1;
    r.x1 = ToInt32(static_cast<double>(x) + reverse * (static_cast<double>(x) - x1));
    r.y1 = ToInt32(static_cast<double>(y) + reverse * (static_cast<double>(y) - y1));
    r.sx = -sx;
    r.sy = -sy;
    PaintStreak(constants.settings, AskOcclusionGroup, pblur, r, cursors);
  }
}

}  // namespace qxv
