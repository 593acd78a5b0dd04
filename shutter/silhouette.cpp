#include "shutter/silhouette.h"

#include <cmath>
#include <vector>

namespace qxv::shutter {
namespace {

struct Path {
  float bx, by, cx, cy;
};

}  // namespace

void SteadySilhouettes(Surface* s, bool hasDepth) {
  const long w = s->width, h = s->height;
  std::vector<std::pair<std::size_t, Path>> changes;
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * w + x);
      const float own = s->reach[i];
      if (own <= 0.0f) continue;
      const Texel& t = s->texels[i];
      float best = 1.25f * own + 0.25f;
      const Texel* chosen = nullptr;
      const long around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& at : around) {
        if (at[0] < 0 || at[1] < 0 || at[0] >= w || at[1] >= h) continue;
        const std::size_t j = static_cast<std::size_t>(at[1] * w + at[0]);
        const Texel& n = s->texels[j];
        if (s->reach[j] <= best) continue;
        if (hasDepth && (Nearer(n.depth, t.depth) || Farther(n.depth, t.depth))) continue;
        best = s->reach[j];
        chosen = &n;
      }
      if (chosen) changes.push_back({i, {chosen->bx, chosen->by, chosen->cx, chosen->cy}});
    }
  }
  for (const auto& [i, p] : changes) {
    Texel& t = s->texels[i];
    t.bx = p.bx, t.by = p.by, t.cx = p.cx, t.cy = p.cy;
    s->reach[i] = 0.0f;  // marks the path as changed: its reach is found again
  }
}

}  // namespace qxv::shutter
