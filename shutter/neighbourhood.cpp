#include "shutter/neighbourhood.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qxv::shutter {
namespace {

// Pixels between two tiles (largest of x and y); 0 for touching tiles.
float Gap(std::int64_t a, std::int64_t b) {
  const std::int64_t d = a > b ? a - b : b - a;
  return d > 0 ? static_cast<float>((d - 1) * kTile + 1) : 0.0f;
}

// Each pixel's nearest moving pixel, by two sweeps that hand every pixel's
// finding on to its neighbours ahead (the sweeps of a distance transform;
// within a pixel of the exact nearest, which is all the gather needs).
std::vector<Neighbourhood::Place> NearestMoving(const Surface& s, float longest) {
  const long w = s.width, h = s.height;
  std::vector<Neighbourhood::Place> nearest(s.reach.size());
  std::vector<float> distance(s.reach.size(), std::numeric_limits<float>::infinity());
  // Only around the moving pixels, as far as the longest reach: nothing
  // beyond is reached, and its pixels keep no nearest.
  long x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * w + x);
      if (s.reach[i] > 0.0f) {
        nearest[i] = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
        distance[i] = 0.0f;
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
    }
  }
  if (x1 < 0) return nearest;
  const long margin = static_cast<long>(std::ceil(longest)) + 2;
  x0 = std::max(0L, x0 - margin), y0 = std::max(0L, y0 - margin);
  x1 = std::min(w - 1, x1 + margin), y1 = std::min(h - 1, y1 + margin);
  const auto offer = [&](long x, long y, long fromX, long fromY) {
    const std::size_t i = static_cast<std::size_t>(y * w + x);
    // A moving pixel is its own nearest: nothing is offered nearer.
    if (distance[i] == 0.0f) return;
    if (fromX < x0 || fromY < y0 || fromX > x1 || fromY > y1) return;
    const Neighbourhood::Place found = nearest[static_cast<std::size_t>(fromY * w + fromX)];
    if (found.x < 0) return;
    const float dx = static_cast<float>(found.x - x), dy = static_cast<float>(found.y - y);
    const float d = dx * dx + dy * dy;
    if (d < distance[i]) distance[i] = d, nearest[i] = found;
  };
  for (long y = y0; y <= y1; ++y) {
    for (long x = x0; x <= x1; ++x) {
      offer(x, y, x - 1, y), offer(x, y, x - 1, y - 1), offer(x, y, x, y - 1), offer(x, y, x + 1, y - 1);
    }
    for (long x = x1; x >= x0; --x) offer(x, y, x + 1, y);
  }
  for (long y = y1; y >= y0; --y) {
    for (long x = x1; x >= x0; --x) {
      offer(x, y, x + 1, y), offer(x, y, x + 1, y + 1), offer(x, y, x, y + 1), offer(x, y, x - 1, y + 1);
    }
    for (long x = x0; x <= x1; ++x) offer(x, y, x - 1, y);
  }
  return nearest;
}

}  // namespace

std::int64_t Neighbourhood::FastestAt(std::int64_t column, std::int64_t row) const {
  column = std::clamp<std::int64_t>(column, 0, columns - 1);
  row = std::clamp<std::int64_t>(row, 0, rows - 1);
  return fastest[static_cast<std::size_t>(row * columns + column)];
}

Neighbourhood FindNeighbourhood(const Surface& s) {
  Neighbourhood n;
  n.columns = (s.width + kTile - 1) / kTile;
  n.rows = (s.height + kTile - 1) / kTile;
  const std::size_t tiles = std::size_t{n.columns} * n.rows;
  // Each tile's own fastest pixel; the first in scan order among equals.
  std::vector<std::int64_t> own(tiles, -1);
  std::vector<float> ownReach(tiles, 0.0f);
  float longest = 0.0f;
  for (std::uint32_t y = 0; y < s.height; ++y) {
    for (std::uint32_t x = 0; x < s.width; ++x) {
      const std::size_t i = std::size_t{y} * s.width + x;
      const std::size_t tile = std::size_t{y / kTile} * n.columns + x / kTile;
      if (s.reach[i] > ownReach[tile]) {
        ownReach[tile] = s.reach[i];
        own[tile] = static_cast<std::int64_t>(i);
      }
      longest = std::max(longest, s.reach[i]);
    }
  }
  const std::int64_t span = static_cast<std::int64_t>(std::ceil(longest / kTile)) + 1;
  n.fastest.assign(tiles, -1);
  for (std::int64_t row = 0; row < n.rows; ++row) {
    for (std::int64_t column = 0; column < n.columns; ++column) {
      float best = 0.0f;
      std::int64_t chosen = -1;
      for (std::int64_t r = std::max<std::int64_t>(0, row - span);
           r <= std::min<std::int64_t>(n.rows - 1, row + span); ++r) {
        for (std::int64_t c = std::max<std::int64_t>(0, column - span);
             c <= std::min<std::int64_t>(n.columns - 1, column + span); ++c) {
          const std::size_t other = static_cast<std::size_t>(r * n.columns + c);
          const float reach = ownReach[other];
          if (reach > best && std::max(Gap(r, row), Gap(c, column)) <= reach) {
            best = reach;
            chosen = own[other];
          }
        }
      }
      n.fastest[static_cast<std::size_t>(row * n.columns + column)] = chosen;
    }
  }
  n.nearest = NearestMoving(s, longest);
  return n;
}

}  // namespace qxv::shutter
