#include "shutter/shutter_blur.h"

#include <algorithm>

#include "shutter/gather.h"
#include "shutter/neighbourhood.h"
#include "shutter/rows.h"
#include "shutter/surface.h"

namespace qxv::shutter {

Result Blur(const Frame& frame, const Settings& settings) {
  const Surface surface = MakeSurface(frame, settings.shutter);
  const Neighbourhood near = FindNeighbourhood(surface);
  Result result;
  const std::size_t n = std::size_t{frame.width} * frame.height;
  result.rgba.assign(frame.rgba, frame.rgba + n * 4);
  result.kept.assign(n, 1);
  ForEachRow(frame.height, settings.threads, [&](std::uint32_t y) {
    for (std::uint32_t x = 0; x < frame.width; ++x) {
      if (!near.Reached(x, y)) continue;
      const std::size_t i = std::size_t{y} * frame.width + x;
      float rgba[4];
      if (GatherPixel(surface, near, x, y, rgba)) continue;
      std::copy(rgba, rgba + 4, &result.rgba[i * 4]);
      result.kept[i] = 0;
    }
  });
  return result;
}

}  // namespace qxv::shutter
