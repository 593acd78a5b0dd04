// Each pixel as the gather reads it: colour, depth and the path its point
// takes while the shutter is open, kept together so that one read of a
// neighbour brings all of them.
#pragma once
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "shutter/shutter_blur.h"

namespace qxv::shutter {

// The path through the pixel at frame time t = 0 (t in frames): a parabola
// through where the point is in the previous frame (t = -1), here, and in
// the next (t = +1), so turning and accelerating points follow a curve.
// Displacement D(t) = t * b + t * t * c.
struct Texel {
  float rgba[4];
  float depth;
  float bx, by, cx, cy;
  bool Still() const { return bx == 0.0f && by == 0.0f && cx == 0.0f && cy == 0.0f; }
  float Dx(float t) const { return t * (bx + t * cx); }
  float Dy(float t) const { return t * (by + t * cy); }
};

struct Surface {
  std::uint32_t width = 0, height = 0;
  float half = 0.25f;  // half the shutter interval, in frames
  std::unique_ptr<Texel[]> texels;  // not cleared first: every one is written
  // How far, in pixels (largest of x and y), each pixel's colour travels
  // from it while the shutter is open, its footprint's pixel included;
  // 0 for a still pixel.
  std::vector<float> reach;
  // 1 where the pixel and its eight neighbours are all still.
  std::vector<std::uint8_t> calm;

  const Texel& At(std::uint32_t x, std::uint32_t y) const { return texels[std::size_t{y} * width + x]; }
};

// The nearest whole pixel coordinate (inlined, unlike std::lround).
inline long Nearest(float v) { return static_cast<long>(std::floor(v + 0.5f)); }

// Depths closer than this share one surface (a pixel's neighbours on a
// slanted face differ a little); an infinite depth is the empty background.
inline float Margin(float z) { return std::isinf(z) ? 0.0f : 0.02f * std::fabs(z) + 1e-6f; }
inline bool Nearer(float a, float b) { return a < b - Margin(b); }
inline bool Farther(float a, float b) { return a > b + Margin(b); }

// The frame's pixels as texels. Paths shorter than a hundredth of a pixel
// over the whole shutter are still, and each path is cut to at most
// kLongestPath pixels from the pixel, so that one absurd vector does not
// make every pixel search the whole picture.
constexpr float kLongestPath = 256.0f;
Surface MakeSurface(const Frame& frame, double shutter, unsigned threads);

}  // namespace qxv::shutter
