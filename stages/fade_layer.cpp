#include "stages/fade_layer.h"

#include "blur/pass_objects.h"
#include "module/held.h"
#include "module/protected_block.h"
#include "kernel/fade_pixel.h"

namespace qxv {
namespace {

struct Fading {
  TileBuffer* layer;
  std::int32_t step;
  std::int32_t markedStep;
  Rect16* rect;
  TileIterator* iterator;
  bool allocated;
};

void FadeBody(Fading* f) {
  f->rect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!f->rect) return;
  f->allocated = true;
  TileBuffer* layer = f->layer;
  std::uint32_t tileWidth = 0, tileHeight = 0, reserved = 0, depth = 0;
  layer->ops->GetTileGeometry(layer, &tileWidth, &tileHeight, &reserved, &depth);
  std::uint32_t tile = 0;
  if (depth == 32 && TakeFirstTile(layer, &f->iterator, &tile)) {
    layer->ops->GetTileRect(layer, tile, f->rect);
    const Rect16 r = *f->rect;
    layer->ops->LockTile(layer, tile);
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
      layer->ops->SeekPixel(layer, r.left, static_cast<std::int16_t>(y));
      for (std::int32_t x = r.left; x < r.right; ++x) {
        std::uint32_t v = 0;
        layer->ops->ReadPixel(layer, &v);
        v = FadeStreakPixel(v, f->step, f->markedStep);
        layer->ops->WritePixel(layer, &v);
        layer->ops->NextPixel(layer);
      }
    }
    layer->ops->UnlockTile(layer, tile);
  }
  FreeField(&f->rect);
}

void Abandon(Fading* f) {
  ReleaseField(&f->iterator);
  FreeField(&f->rect);
}

}  // namespace

bool FadeLayer(TileBuffer* layer, std::int32_t count, std::int32_t markedCount) {
  if (!FadeCountsApply(count, markedCount)) return true;
  Fading f = {};
  f.layer = layer;
  f.step = FadeStep(count);
  f.markedStep = FadeStep(markedCount);
  Protected<Fading, FadeBody, Abandon>(&f);
  return f.allocated;
}

}  // namespace qxv
