#include "shutter/backdrop.h"

#include <algorithm>
#include <cmath>

namespace qxv::shutter {

const float* Backdrop::Behind(float dx, float dy) {
  const Texel& self = s_.At(x_, y_);
  const int side = dx * self.bx + dy * self.by >= 0.0f ? 0 : 1;
  if (!found_[side]) Search(dx, dy, colour_[side]);
  found_[side] = true;
  return colour_[side];
}

void Backdrop::Search(float dx, float dy, float* rgba) const {
  const Texel& self = s_.At(x_, y_);
  std::copy(self.rgba, self.rgba + 4, rgba);
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0.0f)) return;
  const float ux = -dx / length, uy = -dy / length;
  // The background is as near as the surface moved: no further than its reach.
  const int steps = static_cast<int>(std::ceil(s_.reach[std::size_t{y_} * s_.width + x_])) + 2;
  const auto at = [&](int k, const Texel** texel) {
    const long px = Nearest(static_cast<float>(x_) + ux * static_cast<float>(k));
    const long py = Nearest(static_cast<float>(y_) + uy * static_cast<float>(k));
    if (px < 0 || py < 0 || px >= static_cast<long>(s_.width) || py >= static_cast<long>(s_.height)) {
      return false;
    }
    *texel = &s_.At(static_cast<std::uint32_t>(px), static_cast<std::uint32_t>(py));
    return true;
  };
  for (int k = 1; k <= steps; ++k) {
    const Texel* t = nullptr;
    if (!at(k, &t)) break;
    if (!Farther(t->depth, self.depth)) continue;
    // The mean of the background pixels past the first one (which often
    // blends the silhouette's edge in; it alone when none follows), as far
    // again as twice the reach: the hidden background is unknown, and the
    // mean of what lies beside it errs least.
    float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int taken = 0;
    for (int j = k + 1; j <= k + 2 * steps; ++j) {
      const Texel* beyond = nullptr;
      if (!at(j, &beyond) || !Farther(beyond->depth, self.depth)) break;
      for (int c = 0; c < 4; ++c) sum[c] += beyond->rgba[c];
      ++taken;
    }
    for (int c = 0; c < 4; ++c) rgba[c] = taken ? sum[c] / static_cast<float>(taken) : t->rgba[c];
    return;
  }
}

}  // namespace qxv::shutter
