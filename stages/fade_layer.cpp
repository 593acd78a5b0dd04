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

// Every pixel of the layer's memory, rewritten in place.
struct FadeVisitor : TileVisitor {
  const Fading* f;
  void Visit(const WalkedTile& t) {
    if (!t.memory) return;
    const std::int32_t step = f->step, markedStep = f->markedStep;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      std::uint32_t* row = t.Row(y);
      for (std::int32_t x = t.left; static_cast<std::uint32_t>(x) < t.columnEnd; ++x) {
        std::uint32_t& v = row[x - t.left];
        v = FadeStreakPixel(v, step, markedStep);
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
