#include "shutter/shutter_blur.h"

#include <algorithm>

#include "shutter/gather.h"
#include "shutter/neighbourhood.h"
#include "shutter/rows.h"
#include "shutter/surface.h"

namespace qxv::shutter {

Result Blur(const Frame& frame, const Settings& settings) {
  const Surface surface = MakeSurface(frame, settings.shutter, settings.threads);
  const Neighbourhood near = FindNeighbourhood(surface);
  Result result;
  const std::size_t n = std::size_t{frame.width} * frame.height;
  result.rgba.resize(n * 4);
  result.kept.resize(n);
  ForEachRow(frame.height, settings.threads, [&](std::uint32_t y) {
    // Each row starts as it came in, kept, on the thread that blurs it.
    const std::size_t first = std::size_t{y} * frame.width;
    std::copy(frame.rgba + first * 4, frame.rgba + (first + frame.width) * 4, &result.rgba[first * 4]);
    std::fill(&result.kept[first], &result.kept[first] + frame.width, std::uint8_t{1});
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
