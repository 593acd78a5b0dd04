#include "shutter/surface.h"

#include "shutter/rows.h"
#include "shutter/silhouette.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qxv::shutter {
namespace {

float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

// Depth as the gather compares it: larger is farther; NaN is farthest and
// below 0 counts as 0.
float DepthOf(float z) {
  if (std::isnan(z)) return std::numeric_limits<float>::infinity();
  return z > 0.0f ? z : 0.0f;
}

// The largest displacement (largest of x and y) along the path while the
// shutter is open: the ends and two points between them bound a parabola
// this flat closely enough, given the pixel of margin added.
float Extent(const Texel& t, float half) {
  float most = 0.0f;
  for (float at : {-half, -0.5f * half, 0.5f * half, half}) {
    most = std::max({most, std::fabs(t.Dx(at)), std::fabs(t.Dy(at))});
  }
  return most;
}

// Cuts an absurdly long path, makes a path too short to see still, and
// sets how far the pixel's colour reaches.
void Settle(Texel* t, float* reach, float half) {
  if (t->Still()) {  // most pixels: no need to look along the path
    *reach = 0.0f;
    return;
  }
  float extent = Extent(*t, half);
  if (extent > kLongestPath) {
    const float scale = kLongestPath / extent;
    t->bx *= scale, t->by *= scale, t->cx *= scale, t->cy *= scale;
    extent = kLongestPath;
  }
  if (extent < 0.005f) {
    t->bx = t->by = t->cx = t->cy = 0.0f;
    *reach = 0.0f;
  } else {
    *reach = extent + 1.0f;
  }
}

}  // namespace

Surface MakeSurface(const Frame& f, double shutter, unsigned threads) {
  Surface s;
  s.width = f.width;
  s.height = f.height;
  s.half = static_cast<float>(shutter * 0.5);
  const std::size_t n = std::size_t{f.width} * f.height;
  const std::size_t w = f.width;
  s.texels.reset(new Texel[n]);
  s.reach.resize(n);
  // Every pixel is worked from its own inputs (and, for the calm, its
  // neighbours' reach found before), so the rows share out among the cores.
  ForEachRow(f.height, threads, [&](std::uint32_t y) {
    for (std::size_t i = y * w; i < (y + 1) * w; ++i) {
      Texel& t = s.texels[i];
      for (int c = 0; c < 4; ++c) {
        const float v = f.rgba[i * 4 + c];
        t.rgba[c] = std::isnan(v) ? 0.0f : v;
      }
      const float px = Finite(f.previous[i * 2]), py = Finite(f.previous[i * 2 + 1]);
      const float nx = f.next ? Finite(f.next[i * 2]) : -px, ny = f.next ? Finite(f.next[i * 2 + 1]) : -py;
      t.bx = 0.5f * (nx - px);
      t.by = 0.5f * (ny - py);
      t.cx = 0.5f * (nx + px);
      t.cy = 0.5f * (ny + py);
      Settle(&t, &s.reach[i], s.half);
      // Without depth, the faster of two surfaces is taken to be in front.
      t.depth = f.depth ? DepthOf(f.depth[i]) : -s.reach[i];
    }
  });
  SteadySilhouettes(&s, f.depth != nullptr, threads);
  // Calm: no moving pixel in the row's three, then none in the column's.
  std::vector<std::uint8_t> rowCalm(n);
  ForEachRow(f.height, threads, [&](std::uint32_t y) {
    float* reach = &s.reach[y * w];
    Texel* texels = &s.texels[y * w];
    for (std::size_t x = 0; x < w; ++x) {
      if (reach[x] == 0.0f && !texels[x].Still()) Settle(&texels[x], &reach[x], s.half);
    }
    for (std::size_t x = 0; x < w; ++x) {
      rowCalm[y * w + x] =
          reach[x] == 0.0f && (x == 0 || reach[x - 1] == 0.0f) && (x + 1 == w || reach[x + 1] == 0.0f);
    }
  });
  s.calm.resize(n);
  const std::uint32_t last = f.height > 0 ? f.height - 1 : 0;
  ForEachRow(f.height, threads, [&](std::uint32_t y) {
    const std::uint8_t* above = &rowCalm[std::size_t{y > 0 ? y - 1 : 0} * w];
    const std::uint8_t* here = &rowCalm[std::size_t{y} * w];
    const std::uint8_t* below = &rowCalm[std::size_t{std::min(last, y + 1)} * w];
    std::uint8_t* calm = &s.calm[std::size_t{y} * w];
    for (std::size_t x = 0; x < w; ++x) calm[x] = above[x] & here[x] & below[x];
  });
  return s;
}

}  // namespace qxv::shutter
