#include "shutter/backdrop.h"

#include <cmath>

namespace qxv::shutter {

const float* Backdrop::Behind(float dx, float dy) {
  const Texel& self = s_.At(x_, y_);
  const int side = dx * self.bx + dy * self.by >= 0.0f ? 0 : 1;
  if (!found_[side]) found_[side] = Search(dx, dy);
  return found_[side];
}

const float* Backdrop::Search(float dx, float dy) const {
  const Texel& self = s_.At(x_, y_);
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0.0f)) return self.rgba;
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
    // One pixel further when it is background too: the first one often
    // blends the silhouette's edge into it.
    const Texel* beyond = nullptr;
    if (at(k + 1, &beyond) && Farther(beyond->depth, self.depth)) return beyond->rgba;
    return t->rgba;
  }
  return self.rgba;
}

}  // namespace qxv::shutter
