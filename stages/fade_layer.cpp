#include "stages/fade_layer.h"

#include "kernel/fade_pixel.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"
#include "stages/tile_walker.h"

namespace qxv {
namespace {

struct Fading {
  TileBuffer* layer;
  std::int32_t step;
  std::int32_t markedStep;
  Rect16* rect;
  TileIterator* iterator;
  Result result;
};

// Every pixel goes through the layer's cursor, read and written in place.
struct FadeVisitor : TileVisitor {
  const Fading* f;
  void Visit(const WalkedTile& t) {
    TileBuffer* layer = f->layer;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      layer->ops->SeekPixel(layer, t.rect.left, static_cast<std::int16_t>(y));
      for (std::int32_t x = t.left; static_cast<std::uint32_t>(x) < t.columnEnd; ++x) {
        std::uint32_t v = 0;
        layer->ops->ReadPixel(layer, &v);
        v = FadeStreakPixel(v, f->step, f->markedStep);
        layer->ops->WritePixel(layer, &v);
        layer->ops->NextPixel(layer);
      }
    }
  }
};

void FadeBody(Fading* f) {
  f->rect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!f->rect) {
    f->result = E_OUTOFMEMORY;
    return;
  }
  TileBuffer* layer = f->layer;
  std::uint32_t tileWidth = 0, tileHeight = 0, reserved = 0, depth = 0;
  layer->ops->GetTileGeometry(layer, &tileWidth, &tileHeight, &reserved, &depth);
  std::uint32_t tile = 0;
  if (depth == 32 && TakeFirstTile(layer, &f->iterator, &tile)) {
    FadeVisitor visitor;
    visitor.f = f;
    VisitTile(layer, tile, f->rect, WalkLimits{}, visitor);
  }
  FreeField(&f->rect);
}

void Abandon(Fading* f) {
  ReleaseField(&f->iterator);
  FreeField(&f->rect);
}

}  // namespace

Result FadeLayer(TileBuffer* layer, std::int32_t count, std::int32_t markedCount) {
  if (!FadeCountsApply(count, markedCount)) return S_OK;
  Fading f = {};
  f.layer = layer;
  f.step = FadeStep(count);
  f.markedStep = FadeStep(markedCount);
  f.result = S_OK;
  Protected<Fading, FadeBody, Abandon>(&f);
  return f.result;
}

}  // namespace qxv
