#include "tools/rasterise.h"

#include <algorithm>
#include <cmath>

namespace qxv::tool {
namespace {

constexpr float kSurfaceOffset = 128.0f;  // surface units stay within +-127
constexpr float kStripe = 6.0f;           // surface units per stripe

std::uint32_t Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<std::uint32_t>(std::min(255, std::max(0, v))); };
  return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

std::uint32_t Shade(std::uint32_t colour, float factor) {
  return Rgb(static_cast<int>(((colour >> 16) & 0xFF) * factor),
             static_cast<int>(((colour >> 8) & 0xFF) * factor),
             static_cast<int>((colour & 0xFF) * factor));
}

std::uint32_t Fixed(float surface) {
  return static_cast<std::uint32_t>((surface + kSurfaceOffset) * 256.0f);
}

// Colour of surface point (u, v), or false when the shape does not cover it.
bool Surface(const ShapeInstance& s, float u, float v, std::uint32_t* colour) {
  switch (s.shape) {
    case Shape::Box: {
      if (std::fabs(u) > s.halfWidth || std::fabs(v) > s.halfHeight) return false;
      int stripe = static_cast<int>(std::floor((u + s.halfWidth) / kStripe));
      *colour = stripe % 2 ? s.accent : s.colour;
      return true;
    }
    case Shape::Disc: {
      float r = std::sqrt(u * u + v * v) / s.halfWidth;
      if (r > 1.0f) return false;
      // Lit from the upper left, with a ring of the accent colour.
      float light = 1.05f - 0.45f * std::sqrt(std::max(0.0f, (u + v) / s.halfWidth + 1.0f) / 2.0f);
      *colour = Shade(r > 0.55f && r < 0.72f ? s.accent : s.colour, light);
      return true;
    }
    case Shape::Cross: {
      bool along = std::fabs(u) <= s.halfWidth && std::fabs(v) <= s.halfHeight;
      bool across = std::fabs(v) <= s.halfWidth && std::fabs(u) <= s.halfHeight;
      if (!along && !across) return false;
      bool tip = std::max(std::fabs(u), std::fabs(v)) > s.halfWidth - 2.0f * s.halfHeight;
      *colour = tip ? s.accent : s.colour;
      return true;
    }
  }
  return false;
}

}  // namespace

void DrawBackground(sim::PassImages& p, std::uint32_t width, std::uint32_t height) {
  p.Resize(width, height);
  for (std::uint32_t y = 0; y < height; ++y) {
    float t = static_cast<float>(y) / static_cast<float>(height);
    for (std::uint32_t x = 0; x < width; ++x) {
      bool grid = x % 24 == 0 || y % 24 == 0;
      int lift = grid ? 14 : 0;
      p.colour[static_cast<std::size_t>(y) * width + x] =
          Rgb(static_cast<int>(44 - 22 * t) + lift, static_cast<int>(52 - 26 * t) + lift,
              static_cast<int>(72 - 30 * t) + lift);
    }
  }
  std::fill(p.depth.begin(), p.depth.end(), kBackgroundDepth);
}

void DrawShape(const ShapeInstance& s, sim::PassImages& p) {
  const float reach = std::sqrt(s.halfWidth * s.halfWidth + s.halfHeight * s.halfHeight) * s.scale;
  const int x0 = std::max(0, static_cast<int>(std::floor(s.centreX - reach)));
  const int y0 = std::max(0, static_cast<int>(std::floor(s.centreY - reach)));
  const int x1 =
      std::min(static_cast<int>(p.width) - 1, static_cast<int>(std::ceil(s.centreX + reach)));
  const int y1 =
      std::min(static_cast<int>(p.height) - 1, static_cast<int>(std::ceil(s.centreY + reach)));
  const float c = std::cos(s.angle), sn = std::sin(s.angle);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f - s.centreX) / s.scale;
      const float dy = (static_cast<float>(y) + 0.5f - s.centreY) / s.scale;
      // Undo the rotation to find the surface point under the pixel.
      const float u = c * dx + sn * dy, v = -sn * dx + c * dy;
      std::uint32_t colour = 0;
      const std::size_t i = static_cast<std::size_t>(y) * p.width + static_cast<std::size_t>(x);
      if (s.depth >= p.depth[i] || !Surface(s, u, v, &colour)) continue;
      p.colour[i] = colour;
      p.index[i] = s.index;
      p.match1[i] = Fixed(u);
      p.match2[i] = Fixed(v);
      p.depth[i] = s.depth;
      p.alternate[i] = s.alternate;
    }
  }
}

}  // namespace qxv::tool
