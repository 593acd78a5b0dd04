// Which motion can reach each part of the picture. The picture is cut
// into tiles; each tile learns the fastest path among the pixels whose
// colour can land in it, from its own tile or any other. A tile nothing
// reaches is left exactly as it is; elsewhere the gather looks for
// sources along the fastest paths of the tiles nearest each pixel, so the
// choice of path changes smoothly from pixel to pixel, not at tile edges.
#pragma once
#include <cstdint>
#include <vector>

#include "shutter/surface.h"

namespace qxv::shutter {

constexpr std::uint32_t kTile = 16;

struct Neighbourhood {
  std::uint32_t columns = 0, rows = 0;  // tiles
  // Per tile: the pixel (index into the surface) with the fastest path
  // that reaches the tile, or -1 when no moving pixel reaches it.
  std::vector<std::int64_t> fastest;
  // Per pixel: where the nearest moving pixel is (itself when it moves),
  // x -1 when none moves. Its path is the likeliest one to bring colour
  // over the pixel: a silhouette carries the motion of its own edge,
  // however thin it is and whatever moves faster nearby.
  struct Place {
    std::int32_t x = -1, y = -1;
  };
  std::vector<Place> nearest;

  std::int64_t FastestAt(std::int64_t column, std::int64_t row) const;
  bool Reached(std::uint32_t x, std::uint32_t y) const {
    return fastest[std::size_t{y / kTile} * columns + x / kTile] >= 0;
  }
};

Neighbourhood FindNeighbourhood(const Surface& surface);

}  // namespace qxv::shutter
