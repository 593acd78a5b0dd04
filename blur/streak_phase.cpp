#include "blur/streak_phase.h"

#include "blur/progress_icon.h"
#include "blur/streak_step.h"
#include "kernel/object_tag.h"
#include "module/host_bridge.h"
#include "stages/tile_walker.h"

namespace qxv {
namespace {

// A view read beside the image: tile by tile while its tiles pair with the
// image's, through its cursor otherwise.
struct PairedView {
  TileBuffer* view;
  TileIterator* iterator;  // null: read through the cursor
  std::uint32_t tile;
  bool taken;
  bool locked;
};

// Takes the view's tile that pairs with the image's next one; a view whose
// tiles run out before the image's is read through its cursor from then on.
void TakePairedTile(PairedView* v) {
  v->taken = false;
  if (!v->iterator) return;
  if (!NextTileId(v->iterator, &v->tile)) {
    v->iterator = nullptr;
    return;
  }
  v->taken = true;
}

void LockPairedTile(PairedView* v) {
  if (!v->taken) return;
  v->view->ops->LockTile(v->view, v->tile);
  v->locked = true;
}

void ReleasePairedTile(PairedView* v) {
  if (v->locked) v->view->ops->UnlockTile(v->view, v->tile);
  v->locked = false;
  v->taken = false;
}

// The paired tile's memory, addressed by the tile's own rectangle: the
// pairing compares only nominal tile sizes, and a host may cut a view's edge
// tiles to the buffer while the image's stay full-size. A tile whose
// rectangle does not hold every pixel the image tile visits, or that has no
// memory, is read through the view's cursor.
MatchTile PairedMemory(const PairedView& v, const WalkedTile& t, Rect16* rectBlock) {
  MatchTile m = {nullptr, 0, 0, 0};
  if (!v.locked) return m;
  v.view->ops->GetTileRect(v.view, v.tile, rectBlock);
  const Rect16 r = *rectBlock;
  const bool holds = r.top <= t.top && r.left <= t.left &&
                     static_cast<std::int64_t>(r.bottom) >= static_cast<std::int64_t>(t.rowEnd) &&
                     static_cast<std::int64_t>(r.right) >= static_cast<std::int64_t>(t.columnEnd);
  if (!holds) return m;
  m.memory = v.view->ops->GetTileData(v.view, v.tile);
  m.stride = static_cast<std::ptrdiff_t>(RectSpan(r.left, r.right));
  m.top = r.top;
  m.left = r.left;
  return m;
}

// One image tile: the views' paired tiles taken with it, the icon shown in
// its place, the tile and the paired tiles locked, a step per pixel with a
// poll per row, then the finished tile shown.
struct StreakTileVisitor {
  Pass* pass;
  const StreakConstants* constants;
  PairedView match1View;
  PairedView match2View;
  PairedView alternateView;

  void Taken(std::uint32_t) {
    TakePairedTile(&match1View);
    TakePairedTile(&match2View);
    if (pass->parameters.secondaryLayer) TakePairedTile(&alternateView);
  }

  void Enter(const WalkedTile& t) {
    *pass->tileRect = ToRect32(t.rect);
    ShowIconOverTile(pass);
  }

  void Visit(const WalkedTile& t) {
    Pblur* pblur = pass->pblur;
    const ParameterBlock& p = pass->parameters;
    LockPairedTile(&match1View);
    LockPairedTile(&match2View);
    LockPairedTile(&alternateView);
    StreakTileMemory w;
    // The image tile's rectangle is read by now: its block is free again.
    w.match1 = PairedMemory(match1View, t, pass->workRect);
    w.match2 = PairedMemory(match2View, t, pass->workRect);
    w.mainLayer = pblur->mainStreakLayer->ops->GetTileData(pblur->mainStreakLayer,
                                                          pass->mainLayerTile);
    w.tags = pblur->tagBuffer->ops->GetTileData(pblur->tagBuffer, pass->tagTile);
    w.depth = p.depthTest
                  ? pass->depthCopy->ops->GetTileData(pass->depthCopy, pass->depthCopyTile)
                  : nullptr;
    w.secondaryLayer = p.secondaryLayer ? pblur->secondaryStreakLayer->ops->GetTileData(
                                              pblur->secondaryStreakLayer, pass->secondaryLayerTile)
                                        : nullptr;
    if (!w.mainLayer || !w.tags || (p.depthTest && !w.depth) ||
        (p.secondaryLayer && !w.secondaryLayer)) {
      return;
    }
    HostShell* shell = InitShell();
    const std::ptrdiff_t width = static_cast<std::ptrdiff_t>(pass->info.width);
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      // Most pixels are background, which paints nothing: only object
      // pixels take a step.
      const std::uint32_t* tagRow = w.tags + y * width;
      for (std::int32_t x = t.left; static_cast<std::uint32_t>(x) < t.columnEnd; ++x) {
        if ((tagRow[x] & kTagIndexMask) != 0u) StreakPixelStep(pass, w, *constants, x, y);
      }
      shell->ops->Poll(shell, 100);
    }
  }

  void Leave(const WalkedTile&) {
    ReleasePairedTile(&match1View);
    ReleasePairedTile(&match2View);
    ReleasePairedTile(&alternateView);
    ShowFinishedTile(pass);
  }
};

}  // namespace

void RunStreakPhase(Pass* pass) {
  const ParameterBlock& p = pass->parameters;
  const StreakConstants constants = MakeStreakConstants(p);
  TileIterator* images = pass->iterators[kImageIterator];
  if (!images) return;
  StreakTileVisitor visitor;
  visitor.pass = pass;
  visitor.constants = &constants;
  visitor.match1View = {pass->match1View, pass->iterators[kMatch1Iterator], 0, false, false};
  visitor.match2View = {pass->match2View, pass->iterators[kMatch2Iterator], 0, false, false};
  visitor.alternateView = {pass->alternateView, pass->iterators[kAlternateIterator], 0, false,
                           false};
  // The image is read through its cursor only.
  WalkLimits limits;
  limits.width = pass->info.width;
  limits.height = pass->info.height;
  limits.tileWidth = pass->info.tileWidth;
  limits.tileHeight = pass->info.tileHeight;
  limits.memory = false;
  WalkTiles(pass->image, images, pass->workRect, limits, visitor);
}

}  // namespace qxv
