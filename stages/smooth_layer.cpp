#include "stages/smooth_layer.h"

#include <cstddef>

#include "blur/pass_objects.h"
#include "kernel/streak_pixel.h"
#include "module/held.h"
#include "module/protected_block.h"
#include "kernel/neighbourhood.h"

namespace qxv {
namespace {

struct Smoothing {
  Pblur* pblur;
  TileBuffer* layer;
  bool honourMarks;
  Rect16* rect;
  TileIterator* iterator;
  std::uint32_t layerTile;
  std::uint32_t scratchTile;
  bool layerLocked;
  bool scratchLocked;
  bool allocated;
};

// Row 0 of the scratch takes the previous unfiltered row, row 1 this one.
void CopyRow(TileBuffer* layer, TileBuffer* scratch, std::uint32_t* scratchMemory,
             const Rect16& r, std::int32_t y) {
  layer->ops->SeekPixel(layer, r.left, static_cast<std::int16_t>(y));
  scratch->ops->SeekPixel(scratch, 0, 1);
  std::uint32_t* q = scratchMemory;
  for (std::int32_t x = r.left; x < r.right; ++x, ++q) {
    scratch->ops->ReadPixel(scratch, q);
    std::uint32_t value = 0;
    layer->ops->ReadPixel(layer, &value);
    scratch->ops->WritePixel(scratch, &value);
    layer->ops->NextPixel(layer);
    scratch->ops->NextPixel(scratch);
  }
}

void FilterRow(const Smoothing* s, std::uint32_t* memory, const std::uint32_t* above,
               std::ptrdiff_t stride, const Rect16& r, std::int32_t y) {
  TileBuffer* layer = s->layer;
  layer->ops->SeekPixel(layer, r.left, static_cast<std::int16_t>(y));
  const bool hasDown = y < r.bottom - 1;
  const bool hasUp = y > r.top;
  std::uint32_t prev = 0;
  const std::uint32_t* m = memory + (y - r.top) * stride;
  const std::uint32_t* q = above;
  for (std::int32_t x = r.left; x < r.right; ++x, ++m, ++q) {
    const bool hasRight = x < r.right - 1;
    const bool hasLeft = x > r.left;
    std::uint32_t n[9];
    layer->ops->ReadPixel(layer, &n[0]);
    n[1] = hasRight ? m[1] : 0u;
    n[2] = prev;
    prev = n[0];
    n[7] = hasDown ? m[stride] : 0u;
    n[6] = hasDown && hasRight ? m[stride + 1] : 0u;
    n[8] = hasDown && hasLeft ? m[stride - 1] : 0u;
    n[4] = hasUp ? q[0] : 0u;
    n[3] = hasUp && hasRight ? q[1] : 0u;
    n[5] = hasUp && hasLeft ? q[-1] : 0u;
    if (!s->honourMarks || (n[0] & kMarkBit) == 0) {
      const std::uint32_t smoothed = SmoothPixel(n, s->honourMarks);
      layer->ops->WritePixel(layer, &smoothed);
    }
    layer->ops->NextPixel(layer);
  }
}

void SmoothBody(Smoothing* s) {
  s->rect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!s->rect) return;
  s->allocated = true;
  TileBuffer* layer = s->layer;
  TileBuffer* scratch = s->pblur->rowScratch;
  std::uint32_t tileWidth = 0, tileHeight = 0, reserved = 0, depth = 0;
  layer->ops->GetTileGeometry(layer, &tileWidth, &tileHeight, &reserved, &depth);
  if (depth != 32 || !scratch) return;
  if (!TakeFirstTile(layer, &s->iterator, &s->layerTile) ||
      !TakeFirstTile(scratch, &s->iterator, &s->scratchTile)) {
    return;
  }
  layer->ops->GetTileRect(layer, s->layerTile, s->rect);
  const Rect16 r = *s->rect;
  layer->ops->LockTile(layer, s->layerTile);
  s->layerLocked = true;
  scratch->ops->LockTile(scratch, s->scratchTile);
  s->scratchLocked = true;
  std::uint32_t* memory = layer->ops->GetTileData(layer, s->layerTile);
  std::uint32_t* scratchMemory = scratch->ops->GetTileData(scratch, s->scratchTile);
  if (!memory || !scratchMemory) return;
  for (std::int32_t y = r.top; y < r.bottom; ++y) {
    CopyRow(layer, scratch, scratchMemory, r, y);
    FilterRow(s, memory, scratchMemory, tileWidth, r, y);
  }
}

void UnlockAndFree(Smoothing* s) {
  if (s->layerLocked) s->layer->ops->UnlockTile(s->layer, s->layerTile);
  if (s->scratchLocked) {
    s->pblur->rowScratch->ops->UnlockTile(s->pblur->rowScratch, s->scratchTile);
  }
  s->layerLocked = s->scratchLocked = false;
  FreeField(&s->rect);
}

void SmoothAndFinish(Smoothing* s) {
  SmoothBody(s);
  UnlockAndFree(s);
}

// A failure leaves the tiles locked: the host takes them back with the objects.
void Abandon(Smoothing* s) {
  ReleaseField(&s->iterator);
  FreeField(&s->rect);
}

}  // namespace

bool SmoothLayer(Pblur* pblur, TileBuffer* layer, bool honourMarks) {
  Smoothing s = {};
  s.pblur = pblur;
  s.layer = layer;
  s.honourMarks = honourMarks;
  Protected<Smoothing, SmoothAndFinish, Abandon>(&s);
  return s.allocated;
}

}  // namespace qxv
