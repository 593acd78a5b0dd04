#include "kernel/paint_streak.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "kernel/float_to_int.h"
#include "kernel/object_tag.h"
#include "kernel/streak_mix.h"
#include "kernel/streak_pixel.h"
#include "weight/jitter.h"

namespace qxv {
namespace {

// Everything a walk carries from pixel to pixel. Trivially destructible on
// purpose: an occlusion query may longjmp out of the walk.
struct Walk {
  const StreakSettings* settings;
  OcclusionQuery query;
  void* queryContext;
  const StreakRequest* request;
  StreakCursors cursors;
  double intensity;  // A
  double restart;    // D, the amount the next echo starts from
  double decrement;
  double restartDrop;       // how much weaker each further echo starts
  std::uint32_t depth;      // u, interpolated and wrapping
  std::uint32_t depthStep;  // signed step, as its two's complement bits
  std::int32_t colourLuma;  // of the one colour the walk paints
  bool firstPixel;
};

std::int64_t Magnitude(std::int64_t v) { return v < 0 ? -v : v; }

// The depth step is du / n with du read as a signed 32-bit difference.
std::uint32_t DepthStep(std::uint32_t startDepth, std::uint32_t endDepth, std::int64_t n) {
  const std::uint32_t du = endDepth - startDepth;
  const std::int64_t signedDu = du >= 0x80000000u ? static_cast<std::int64_t>(du) - 0x100000000LL
                                                  : static_cast<std::int64_t>(du);
  return static_cast<std::uint32_t>(signedDu / n);
}

double RestartDrop(double echoCount) {
  // The pass never hands over 0; keep the IEEE answer without dividing by it.
  if (echoCount == 0.0) return std::copysign(std::numeric_limits<double>::infinity(), echoCount);
  return 256.0 / echoCount;
}

bool Occluded(Walk& w, std::ptrdiff_t at) {
  const StreakRequest& r = *w.request;
  const std::uint32_t t = w.cursors.tag[at];
  const std::uint32_t z = w.cursors.depth[at];
  const std::int32_t other = static_cast<std::int32_t>(t & kTagIndexMask);
  // Asked at every pixel, whatever the rest decides: the first question of a
  // streak is what refreshes the group cache. A pixel of the streak's own
  // object or of the background is in no group with it, and asking about it
  // changes nothing, the cache included: those are answered here.
  const bool sameGroup = other != 0 && other != r.objectIndex && w.query != nullptr &&
                         w.query(w.queryContext, r.objectIndex, other, w.firstPixel);
  w.firstPixel = false;
  return !sameGroup && (t & kOutlineBit) == 0u && other != r.objectIndex && z < w.depth;
}

void Visit(Walk& w, std::int64_t offset) {
  const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(offset);
  const StreakSettings& s = *w.settings;
  const StreakRequest& r = *w.request;
  const std::uint32_t existing = w.cursors.main[at];
  if (s.depthTest && Occluded(w, at)) return;

  const std::int32_t a = ToInt32(w.intensity);
  if (s.secondaryLayer) {
    const std::uint32_t previous = w.cursors.secondary[at];
    w.cursors.main[at] = MixMainSample(a, r.colour, w.colourLuma, existing, r.outline);
    if (r.altSet != 0) {
      w.cursors.secondary[at] =
          MixSecondarySample(a, kMarkBit, r.colour, w.colourLuma, previous, s.weightMarked);
    } else if (!r.outline) {
      w.cursors.secondary[at] =
          MixSecondarySample(a, 0u, r.colour, w.colourLuma, previous, s.weightMarked);
    }
  } else {
    w.cursors.main[at] = MixMainSample(a, r.colour, w.colourLuma, existing, r.outline);
  }
}

// An intensity that lands exactly on zero is not restarted.
void Fade(Walk& w) {
  w.depth += w.depthStep;
  // Without jitter the factor is exactly 1 and the generator stays put.
  w.intensity -= (w.settings->jitter ? JitterFactor(true) : 1.0) * w.decrement;
  if (w.intensity < 0.0) {
    w.intensity += w.restart;
    w.restart -= w.restartDrop;
  }
}

bool Above(const Walk& w) { return w.intensity > w.request->floor; }

bool Inside(std::int64_t v, std::int32_t size) { return v >= 0 && v < size; }

void WalkDiagonal(Walk& w) {
  const StreakRequest& r = *w.request;
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  std::int64_t x = r.x0, y = r.y0, at = 0;
  while (x != r.x1 && Above(w) && Inside(x, r.width) && Inside(y, r.height)) {
    Visit(w, at);
    at += r.sx + rowStep;
    Fade(w);
    x += r.sx;
    y += r.sy;
  }
}

// The minor step comes before the visit, so a steep enough line leaves the
// start row before its first pixel. Only x is tested at the loop head: y is
// tested where it changes.
void WalkXMajor(Walk& w, std::int64_t adx, std::int64_t ady) {
  const StreakRequest& r = *w.request;
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  std::int64_t x = r.x0, y = r.y0, at = 0, error = adx / 2;
  while (x != r.x1 && Above(w) && Inside(x, r.width)) {
    error -= ady;
    if (error < 0) {
      error += adx;
      at += rowStep;
      y += r.sy;
      if (!Inside(y, r.height)) return;
    }
    Visit(w, at);
    at += r.sx;
    x += r.sx;
    Fade(w);
  }
}

void WalkYMajor(Walk& w, std::int64_t adx, std::int64_t ady) {
  const StreakRequest& r = *w.request;
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  std::int64_t x = r.x0, y = r.y0, at = 0, error = ady / 2;
  while (y != r.y1 && Above(w) && Inside(x, r.width) && Inside(y, r.height)) {
    error -= adx;
    if (error < 0) {
      error += ady;
      at += r.sx;
      x += r.sx;
      if (!Inside(x, r.width)) return;
    }
    Visit(w, at);
    at += rowStep;
    y += r.sy;
    Fade(w);
  }
}

}  // namespace

void PaintStreak(const StreakSettings& settings, OcclusionQuery query, void* queryContext,
                 const StreakRequest& r, StreakCursors cursors) {
  // 64-bit, so that end points anywhere in the 32-bit range keep their sign.
  const std::int64_t adx = Magnitude(static_cast<std::int64_t>(r.x1) - r.x0);
  const std::int64_t ady = Magnitude(static_cast<std::int64_t>(r.y1) - r.y0);
  if (adx == 0 && ady == 0) return;
  // The start must be a frame pixel; the x-major walk relies on it for y.
  if (!Inside(r.x0, r.width) || !Inside(r.y0, r.height)) return;

  const bool diagonal = adx == ady;
  const bool xMajor = adx > ady;
  // A walk that cannot move along its major axis would never meet its end or
  // the border; the streak phase never asks for one.
  if (diagonal ? (r.sx == 0 && r.sy == 0) : (xMajor ? r.sx == 0 : r.sy == 0)) return;

  const std::int64_t n = (diagonal || xMajor) ? adx : ady;
  Walk w{};
  w.settings = &settings;
  w.query = query;
  w.queryContext = queryContext;
  w.request = &r;
  w.cursors = cursors;
  w.intensity = r.startIntensity;
  w.restart = r.echoRestart;
  w.decrement = (r.startIntensity - r.floor) * settings.echoCount / static_cast<double>(n);
  w.restartDrop = RestartDrop(settings.echoCount);
  w.depth = r.startDepth;
  w.depthStep = DepthStep(r.startDepth, r.endDepth, n);
  w.colourLuma = Luma(r.colour);
  w.firstPixel = true;

  if (diagonal) {
    WalkDiagonal(w);
  } else if (xMajor) {
    WalkXMajor(w, adx, ady);
  } else {
    WalkYMajor(w, adx, ady);
  }
}

}  // namespace qxv
