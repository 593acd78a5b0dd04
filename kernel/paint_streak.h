// The streak painter: walks a digital line from a pixel towards where its
// object lay in the previous frame and paints a fading trail of the pixel's
// colour into the streak layers.
#pragma once
#include <cstdint>

namespace qxv {

struct StreakSettings {
  // N, already a whole number of at least 1; NaN and infinities stay harmless.
  double echoCount;
  bool jitter;
  bool depthTest;
  bool secondaryLayer;
  float weightMarked;  // WeightMarked(mainStrength, altStrength)
};

// Answers SameOcclusionGroup(a, b, refresh). It may raise a host failure,
// which leaves PaintStreak by longjmp: PaintStreak holds no object with a
// non-trivial destructor.
using OcclusionQuery = bool (*)(void* context, std::int32_t a, std::int32_t b, bool refresh);

// All at the start pixel (x0, y0) of whole-frame arrays with rows of `width`
// elements.
struct StreakCursors {
  std::uint32_t* main;
  std::uint32_t* secondary;    // used only with secondaryLayer
  const std::uint32_t* tag;    // used only with depthTest
  const std::uint32_t* depth;  // used only with depthTest
};

struct StreakRequest {
  std::int32_t x0, y0, x1, y1, sx, sy, width, height;
  std::uint32_t colour;
  std::int32_t altSet;
  bool outline;
  // The intensity of the first painted pixel (255), and the amount an echo
  // restarts at once the intensity falls below zero.
  double startIntensity, echoRestart;
  std::int32_t objectIndex;
  // With depthTest: the depth at the start and where the match was found;
  // the walk's depth moves between the two.
  std::uint32_t startDepth, endDepth;
  double floor;  // the intensity below which the walk stops
};

// The end point gives the streak's length and slope; sx and sy alone give
// its direction. The end pixel itself is never painted, and neither is any
// pixel outside the frame. A start outside the frame, or a step of 0 along
// the major axis (a walk that could never end at the border), paints nothing.
// A null query answers "not in the same group".
void PaintStreak(const StreakSettings& settings, OcclusionQuery query, void* queryContext,
                 const StreakRequest& r, StreakCursors cursors);

}  // namespace qxv
