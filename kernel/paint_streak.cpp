#include "kernel/paint_streak.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "kernel/float_to_int.h"
#include "kernel/object_tag.h"
#include "kernel/streak_mix.h"
#include "kernel/streak_pixel.h"
#include "weight/jitter.h"

#if defined(__GNUC__)
#define QXV_PIXEL_INLINE inline __attribute__((always_inline))
#else
#define QXV_PIXEL_INLINE inline
#endif

namespace qxv {
namespace {

// The settings that decide what a visit does, fixed for a whole pass: each
// combination gets its own walk, with no test of them per pixel.
template <bool DepthTest, bool SecondaryLayer, bool Jitter>
struct Mode {
  static constexpr bool kDepthTest = DepthTest;
  static constexpr bool kSecondaryLayer = SecondaryLayer;
  static constexpr bool kJitter = Jitter;
};

// Everything a walk carries from pixel to pixel, copied out of the request
// so that it can live in registers. Trivially destructible on purpose: an
// occlusion query may longjmp out of the walk.
struct Walk {
  OcclusionQuery query;
  void* queryContext;
  StreakCursors cursors;
  double intensity;  // A
  double restart;    // D, the amount the next echo starts from
  double decrement;
  double restartDrop;  // how much weaker each further echo starts
  double floor;
  std::uint32_t depth;      // u, interpolated and wrapping
  std::uint32_t depthStep;  // signed step, as its two's complement bits
  std::uint32_t colour;
  std::int32_t colourLuma;  // of the one colour the walk paints
  std::int32_t objectIndex;
  std::int32_t altSet;
  float weightMarked;
  bool outline;
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

QXV_PIXEL_INLINE bool Occluded(Walk& w, std::ptrdiff_t at) {
  const std::uint32_t t = w.cursors.tag[at];
  const std::uint32_t z = w.cursors.depth[at];
  const std::int32_t other = static_cast<std::int32_t>(t & kTagIndexMask);
  // Asked at every pixel, whatever the rest decides: the first question of a
  // streak is what refreshes the group cache. A pixel of the streak's own
  // object or of the background is in no group with it, and asking about it
  // changes nothing, the cache included: those are answered here.
  const bool sameGroup = other != 0 && other != w.objectIndex && w.query != nullptr &&
                         w.query(w.queryContext, w.objectIndex, other, w.firstPixel);
  w.firstPixel = false;
  return !sameGroup && (t & kOutlineBit) == 0u && other != w.objectIndex && z < w.depth;
}

template <typename M>
QXV_PIXEL_INLINE void Visit(Walk& w, std::ptrdiff_t at) {
  const std::uint32_t existing = w.cursors.main[at];
  if (M::kDepthTest && Occluded(w, at)) return;

  const std::int32_t a = ToInt32(w.intensity);
  w.cursors.main[at] = MixMainSample(a, w.colour, w.colourLuma, existing, w.outline);
  if (M::kSecondaryLayer) {
    std::uint32_t* secondary = w.cursors.secondary + at;
    if (w.altSet != 0) {
      *secondary = MixSecondarySample(a, kMarkBit, w.colour, w.colourLuma, *secondary,
                                      w.weightMarked);
    } else if (!w.outline) {
      *secondary = MixSecondarySample(a, 0u, w.colour, w.colourLuma, *secondary, w.weightMarked);
    }
  }
}

// An intensity that lands exactly on zero is not restarted.
template <typename M>
QXV_PIXEL_INLINE void Fade(Walk& w) {
  w.depth += w.depthStep;
  // Without jitter the factor is exactly 1 and the generator stays put.
  if (M::kJitter) {
    w.intensity -= JitterFactor(true) * w.decrement;
  } else {
    w.intensity -= w.decrement;
  }
  if (w.intensity < 0.0) {
    w.intensity += w.restart;
    w.restart -= w.restartDrop;
  }
}

QXV_PIXEL_INLINE bool Above(const Walk& w) { return w.intensity > w.floor; }

QXV_PIXEL_INLINE bool Inside(std::int64_t v, std::int32_t size) { return v >= 0 && v < size; }

constexpr std::int64_t kEndless = INT64_MAX;

std::int64_t Smaller(std::int64_t a, std::int64_t b) { return a < b ? a : b; }

// How many steps of s from v0 stay on the frame's rows or columns.
std::int64_t StepsInside(std::int64_t v0, std::int32_t s, std::int32_t size) {
  if (s > 0) return size - v0;
  return s < 0 ? v0 + 1 : kEndless;
}

// How many steps of s from v0 come before v1: a walk that never meets v1
// (moving away from it, or not moving) is endless along this axis.
std::int64_t StepsBefore(std::int64_t v0, std::int64_t v1, std::int32_t s) {
  const std::int64_t ahead = (v1 - v0) * s;
  if (v1 == v0) return 0;
  return ahead > 0 ? ahead : kEndless;
}

// The head tests of each walk (the end coordinate not met, the major
// coordinate inside the frame) become one count of steps worked out before
// the walk; the intensity is still tested at every step.
template <typename M>
void WalkDiagonal(Walk w, const StreakRequest& r) {
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  const std::int64_t steps =
      Smaller(StepsBefore(r.x0, r.x1, r.sx),
              Smaller(StepsInside(r.x0, r.sx, r.width), StepsInside(r.y0, r.sy, r.height)));
  std::int64_t at = 0;
  for (std::int64_t i = 0; i < steps && Above(w); ++i) {
    Visit<M>(w, at);
    at += r.sx + rowStep;
    Fade<M>(w);
  }
}

// The minor step comes before the visit, so a steep enough line leaves the
// start row before its first pixel. y is tested where it changes.
template <typename M>
void WalkXMajor(Walk w, const StreakRequest& r, std::int64_t adx, std::int64_t ady) {
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  const std::int64_t steps =
      Smaller(StepsBefore(r.x0, r.x1, r.sx), StepsInside(r.x0, r.sx, r.width));
  std::int64_t y = r.y0, at = 0, error = adx / 2;
  for (std::int64_t i = 0; i < steps && Above(w); ++i) {
    error -= ady;
    if (error < 0) {
      error += adx;
      at += rowStep;
      y += r.sy;
      if (!Inside(y, r.height)) return;
    }
    Visit<M>(w, at);
    at += r.sx;
    Fade<M>(w);
  }
}

// x is tested where it changes; the start is inside the frame.
template <typename M>
void WalkYMajor(Walk w, const StreakRequest& r, std::int64_t adx, std::int64_t ady) {
  const std::int64_t rowStep = static_cast<std::int64_t>(r.sy) * r.width;
  const std::int64_t steps =
      Smaller(StepsBefore(r.y0, r.y1, r.sy), StepsInside(r.y0, r.sy, r.height));
  std::int64_t x = r.x0, at = 0, error = ady / 2;
  for (std::int64_t i = 0; i < steps && Above(w); ++i) {
    error -= adx;
    if (error < 0) {
      error += ady;
      at += r.sx;
      x += r.sx;
      if (!Inside(x, r.width)) return;
    }
    Visit<M>(w, at);
    at += rowStep;
    Fade<M>(w);
  }
}

template <typename M>
void WalkLine(const Walk& w, const StreakRequest& r, std::int64_t adx, std::int64_t ady) {
  if (adx == ady) {
    WalkDiagonal<M>(w, r);
  } else if (adx > ady) {
    WalkXMajor<M>(w, r, adx, ady);
  } else {
    WalkYMajor<M>(w, r, adx, ady);
  }
}

template <bool DepthTest, bool SecondaryLayer>
void WalkLineWithJitter(bool jitter, const Walk& w, const StreakRequest& r, std::int64_t adx,
                        std::int64_t ady) {
  if (jitter) {
    WalkLine<Mode<DepthTest, SecondaryLayer, true>>(w, r, adx, ady);
  } else {
    WalkLine<Mode<DepthTest, SecondaryLayer, false>>(w, r, adx, ady);
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
  w.query = query;
  w.queryContext = queryContext;
  w.cursors = cursors;
  w.intensity = r.startIntensity;
  w.restart = r.echoRestart;
  w.decrement = (r.startIntensity - r.floor) * settings.echoCount / static_cast<double>(n);
  w.restartDrop = RestartDrop(settings.echoCount);
  w.floor = r.floor;
  w.depth = r.startDepth;
  w.depthStep = DepthStep(r.startDepth, r.endDepth, n);
  w.colour = r.colour;
  w.colourLuma = Luma(r.colour);
  w.objectIndex = r.objectIndex;
  w.altSet = r.altSet;
  w.weightMarked = settings.weightMarked;
  w.outline = r.outline;
  w.firstPixel = true;

  if (settings.depthTest) {
    if (settings.secondaryLayer) {
      WalkLineWithJitter<true, true>(settings.jitter, w, r, adx, ady);
    } else {
      WalkLineWithJitter<true, false>(settings.jitter, w, r, adx, ady);
    }
  } else if (settings.secondaryLayer) {
    WalkLineWithJitter<false, true>(settings.jitter, w, r, adx, ady);
  } else {
    WalkLineWithJitter<false, false>(settings.jitter, w, r, adx, ady);
  }
}

}  // namespace qxv
