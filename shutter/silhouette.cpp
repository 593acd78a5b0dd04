#include "shutter/silhouette.h"

#include <cmath>
#include <vector>

#include "shutter/rows.h"

namespace qxv::shutter {
namespace {

struct Path {
  float bx, by, cx, cy;
};

}  // namespace

void SteadySilhouettes(Surface* s, bool hasDepth, unsigned threads) {
  const long w = s->width, h = s->height;
  // Found per row, all before any is made, so that every pixel reads its
  // neighbours' paths as they came whichever thread gets there first.
  std::vector<std::vector<std::pair<std::size_t, Path>>> changesByRow(static_cast<std::size_t>(h));
  ForEachRow(s->height, threads, [&](std::uint32_t row) {
    const long y = row;
    std::vector<std::pair<std::size_t, Path>>& changes = changesByRow[row];
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
  });
  ForEachRow(s->height, threads, [&](std::uint32_t row) {
    for (const auto& [i, p] : changesByRow[row]) {
      Texel& t = s->texels[i];
      t.bx = p.bx, t.by = p.by, t.cx = p.cx, t.cy = p.cy;
      s->reach[i] = 0.0f;  // marks the path as changed: its reach is found again
    }
  });
}

}  // namespace qxv::shutter
