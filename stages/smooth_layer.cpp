#include "stages/smooth_layer.h"

#include <algorithm>
#include <cstddef>

#include "kernel/neighbourhood.h"
#include "kernel/streak_pixel.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"
#include "stages/tile_walker.h"

namespace qxv {
namespace {

struct Smoothing {
  TileBuffer* layer;
  TileBuffer* rowScratch;
  bool honourMarks;
  Rect16* rect;
  TileIterator* iterator;
  std::uint32_t scratchTile;
  Result result;
};

// Row 0 of the scratch takes the previous unfiltered row, row 1 this one.
void CopyRow(const std::uint32_t* layerRow, std::uint32_t* scratchRow0, std::uint32_t* scratchRow1,
             std::size_t columns) {
  std::copy(scratchRow1, scratchRow1 + columns, scratchRow0);
  std::copy(layerRow, layerRow + columns, scratchRow1);
}

// Column ORs of the unfiltered 3 x 3 neighbourhoods along a stretch of a
// row: a pixel whose three columns are all 0 smooths to 0 and is 0 already,
// so it is left alone. Most of a layer is empty.
constexpr std::int32_t kStretch = 256;

// Filters row y in place. Every neighbour is an unfiltered value: the left
// one is the previous centre, the upper row comes from the scratch, the
// right one and the lower row are not rewritten yet.
void FilterRow(const Smoothing* s, std::uint32_t* memory, const std::uint32_t* above,
               std::ptrdiff_t stride, const Rect16& r, std::int32_t y) {
  const bool hasDown = y < r.bottom - 1;
  const bool hasUp = y > r.top;
  std::uint32_t* row = memory + (y - r.top) * stride;
  std::uint32_t prev = 0;
  for (std::int32_t from = r.left; from < r.right; from += kStretch) {
    const std::int32_t to = r.right - from > kStretch ? from + kStretch : r.right;
    // columns[k] covers column from - 1 + k; the left one is the previous
    // centre, unfiltered, and none lies beyond the row's ends.
    std::uint32_t columns[kStretch + 2];
    columns[0] = from > r.left ? prev | (hasUp ? above[from - 1 - r.left] : 0u) |
                                     (hasDown ? row[from - 1 - r.left + stride] : 0u)
                               : 0u;
    for (std::int32_t x = from; x < to + 1; ++x) {
      std::uint32_t c = 0;
      if (x < r.right) {
        const std::ptrdiff_t i = x - r.left;
        c = row[i] | (hasUp ? above[i] : 0u) | (hasDown ? row[i + stride] : 0u);
      }
      columns[x - from + 1] = c;
    }
    for (std::int32_t x = from; x < to; ++x) {
      const std::int32_t k = x - from + 1;
      std::uint32_t* m = row + (x - r.left);
      if ((columns[k - 1] | columns[k] | columns[k + 1]) == 0u) {
        prev = 0u;
        continue;
      }
      const std::uint32_t* q = above + (x - r.left);
      const bool hasRight = x < r.right - 1;
      const bool hasLeft = x > r.left;
      std::uint32_t n[9];
      n[0] = m[0];
      n[1] = hasRight ? m[1] : 0u;
      n[2] = prev;
      prev = n[0];
      n[7] = hasDown ? m[stride] : 0u;
      n[6] = hasDown && hasRight ? m[stride + 1] : 0u;
      n[8] = hasDown && hasLeft ? m[stride - 1] : 0u;
      n[4] = hasUp ? q[0] : 0u;
      n[3] = hasUp && hasRight ? q[1] : 0u;
      n[5] = hasUp && hasLeft ? q[-1] : 0u;
      if (!s->honourMarks || (n[0] & kMarkBit) == 0) m[0] = SmoothPixel(n, s->honourMarks);
    }
  }
}

// The layer's one tile, with the scratch tile locked beside it.
struct SmoothVisitor : TileVisitor {
  Smoothing* s;
  std::ptrdiff_t stride;
  void Visit(const WalkedTile& t) {
    TileBuffer* scratch = s->rowScratch;
    scratch->ops->LockTile(scratch, s->scratchTile);
    std::uint32_t* scratchMemory = scratch->ops->GetTileData(scratch, s->scratchTile);
    if (!t.memory || !scratchMemory) return;
    // The scratch is as wide as the layer: row 1 follows row 0.
    const std::size_t columns = RectSpan(t.rect.left, t.rect.right);
    std::uint32_t* row0 = scratchMemory;
    std::uint32_t* row1 = scratchMemory + columns;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      CopyRow(t.memory + (y - t.top) * stride, row0, row1, columns);
      FilterRow(s, t.memory, row0, stride, t.rect, y);
    }
  }
  void Leave(const WalkedTile&) {
    s->rowScratch->ops->UnlockTile(s->rowScratch, s->scratchTile);
  }
};

void SmoothBody(Smoothing* s) {
  s->rect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!s->rect) {
    s->result = E_OUTOFMEMORY;
    return;
  }
  TileBuffer* layer = s->layer;
  std::uint32_t tileWidth = 0, tileHeight = 0, reserved = 0, depth = 0;
  layer->ops->GetTileGeometry(layer, &tileWidth, &tileHeight, &reserved, &depth);
  std::uint32_t layerTile = 0;
  if (depth == 32 && s->rowScratch && TakeFirstTile(layer, &s->iterator, &layerTile) &&
      TakeFirstTile(s->rowScratch, &s->iterator, &s->scratchTile)) {
    // The tile width is the row stride of the layer's memory.
    SmoothVisitor visitor;
    visitor.s = s;
    visitor.stride = static_cast<std::ptrdiff_t>(tileWidth);
    VisitTile(layer, layerTile, s->rect, WalkLimits{}, visitor);
  }
  FreeField(&s->rect);
}

// A failure leaves the tiles locked: the host takes them back with the objects.
void Abandon(Smoothing* s) {
  ReleaseField(&s->iterator);
  FreeField(&s->rect);
}

}  // namespace

Result SmoothLayer(TileBuffer* layer, TileBuffer* rowScratch, bool honourMarks) {
  Smoothing s = {};
  s.layer = layer;
  s.rowScratch = rowScratch;
  s.honourMarks = honourMarks;
  s.result = S_OK;
  Protected<Smoothing, SmoothBody, Abandon>(&s);
  return s.result;
}

}  // namespace qxv
