#include "blur/streak_phase.h"

#include "blur/pass_objects.h"
#include "blur/progress_icon.h"
#include "kernel/float_to_int.h"
#include "kernel/paint_streak.h"
#include "blur/previous_position.h"
#include "kernel/streak_mix.h"
#include "module/host_bridge.h"
#include "weight/scene_lookup.h"
#include "kernel/object_tag.h"

namespace qxv {
namespace {

bool AskOcclusionGroup(void* context, std::int32_t a, std::int32_t b, bool refresh) {
  return SameOcclusionGroup(static_cast<Pblur*>(context)->sceneObjects, a, b, refresh);
}

// A view read beside the image: tile by tile while its tiles pair with the
// image's, through its cursor otherwise.
struct PairedView {
  TileBuffer* view;
  TileIterator* iterator;  // null: read through the cursor
  std::uint32_t tile;
  bool locked;
};

// What one image tile of the phase reads and writes.
struct TileWork {
  std::uint32_t imageTile;
  PairedView match1View;
  PairedView match2View;
  PairedView alternateView;
  const std::uint32_t* match1;  // null: read through the view's cursor
  const std::uint32_t* match2;
  std::uint32_t* mainLayer;
  std::uint32_t* secondaryLayer;
  const std::uint32_t* tags;
  const std::uint32_t* depth;
  std::int32_t top;
  std::int32_t left;
};

// The end of a streak: its length along the motion, always on the positive
// side of the start; the direction travels in sx and sy.
std::int32_t EndCoordinate(std::int32_t start, double k, std::int32_t delta) {
  const double magnitude = delta < 0 ? -static_cast<double>(delta) : static_cast<double>(delta);
  return ToInt32(static_cast<double>(start) + k * magnitude);
}

double StreakFloor(const ParameterBlock& p, std::uint32_t altSet) {
  if (altSet == 0) {
    if (p.streakLength == 10.0f && p.activeTrailFrames > 0.0f) {
      return 256.0 - 256.0 / static_cast<double>(p.activeTrailFrames);
    }
  } else if (p.altLength == 10.0f && p.trailFrames > 0.0f) {
    return 256.0 - 256.0 / static_cast<double>(p.trailFrames);
  }
  return 0.0;
}

std::uint32_t MatchValue(const std::uint32_t* tileMemory, std::ptrdiff_t inTile, TileBuffer* view,
                         std::int32_t x, std::int32_t y) {
  if (tileMemory) return tileMemory[inTile];
  std::uint32_t value = 0;
  view->ops->SeekPixel(view, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  view->ops->ReadPixel(view, &value);
  return value;
}

void StreakPixel(Pass* pass, const TileWork& w, const StreakSettings& settings, std::int32_t x,
                 std::int32_t y) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * pass->info.width + x;
  const std::uint32_t t = w.tags[at];
  const std::uint32_t index = t & kTagIndexMask;
  if (index == 0) return;
  std::uint32_t u0 = 0, u1 = 0;
  if (p.depthTest) u0 = u1 = w.depth[at];
  const std::ptrdiff_t inTile =
      static_cast<std::ptrdiff_t>(y - w.top) * pass->info.tileWidth + (x - w.left);
  const std::uint32_t m1 = MatchValue(w.match1, inTile, pass->match1View, x, y);
  const std::uint32_t m2 = MatchValue(w.match2, inTile, pass->match2View, x, y);
  std::uint32_t colour = 0;
  pass->image->ops->ReadPixel(pass->image, &colour);
  std::int32_t px = x, py = y;
  if (!FindPreviousPosition(pblur, index, m1, m2, &px, &py, &pass->found, p.depthTest != 0, &u1)) {
    return;
  }

  const std::int32_t dx = px - x, dy = py - y;
  const std::int32_t sx = Sign(dx), sy = Sign(dy);
  std::uint32_t altSet = 0;
  if (p.secondaryLayer) pass->alternateView->ops->ReadPixel(pass->alternateView, &altSet);
  const double length = static_cast<double>(altSet == 0 ? p.streakLength : p.altLength);
  const double k = length / 10.0;

  StreakRequest r;
  r.x0 = x;
  r.y0 = y;
  r.x1 = EndCoordinate(x, k, dx);
  r.y1 = EndCoordinate(y, k, dy);
  r.sx = sx;
  r.sy = sy;
  r.width = static_cast<std::int32_t>(pass->info.width);
  r.height = static_cast<std::int32_t>(pass->info.height);
  r.colour = colour;
  r.altSet = static_cast<std::int32_t>(altSet);
  r.outline = (t & kOutlineBit) != 0;
  r.A0 = 255.0;
  r.D0 = 255.0 - 256.0 / static_cast<double>(p.echoCount);
  r.objectIndex = static_cast<std::int32_t>(index);
  r.u0 = u0;
  r.u1 = u1;
  r.floor = StreakFloor(p, altSet);
  StreakCursors cursors;
  cursors.main = w.mainLayer + at;
  cursors.secondary = w.secondaryLayer ? w.secondaryLayer + at : nullptr;
  cursors.tag = w.tags + at;
  cursors.depth = w.depth ? w.depth + at : nullptr;
  PaintStreak(settings, AskOcclusionGroup, pblur, r, cursors);

  if ((t & kSecondStreakBit) != 0 && p.reverseLength > 0.0f) {
    const double reverse = static_cast<double>(p.reverseLength) / 10.0;
    const std::int32_t x1 = r.x1, y1 = r.y1;
    r.x1 = ToInt32(static_cast<double>(x) + reverse * (static_cast<double>(x) - x1));
    r.y1 = ToInt32(static_cast<double>(y) + reverse * (static_cast<double>(y) - y1));
    r.sx = -sx;
    r.sy = -sy;
    PaintStreak(settings, AskOcclusionGroup, pblur, r, cursors);
  }
}

// Takes the view's tile that pairs with the image's next one; a view whose
// tiles run out before the image's is read through its cursor from then on.
void TakePairedTile(PairedView* v) {
  v->locked = false;
  if (!v->iterator) return;
  if (v->iterator->ops->NextTile(v->iterator, 1, &v->tile, nullptr) != 0) {
    v->iterator = nullptr;
    return;
  }
  v->view->ops->LockTile(v->view, v->tile);
  v->locked = true;
}

void ReleasePairedTile(PairedView* v) {
  if (v->locked) v->view->ops->UnlockTile(v->view, v->tile);
  v->locked = false;
}

const std::uint32_t* PairedMemory(const PairedView& v) {
  return v.locked ? v.view->ops->GetTileData(v.view, v.tile) : nullptr;
}

void StreakTile(Pass* pass, TileWork* w, const StreakSettings& settings) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  TiledImage* image = pass->image;
  TileBuffer* alternate = pass->alternateView;
  image->ops->GetTileRect(image, w->imageTile, pass->workRect);
  *pass->tileRect = ToRect32(*pass->workRect);
  ShowIconOverTile(pass);
  image->ops->LockTile(image, w->imageTile);
  TakePairedTile(&w->match1View);
  TakePairedTile(&w->match2View);
  if (p.secondaryLayer) TakePairedTile(&w->alternateView);
  w->match1 = PairedMemory(w->match1View);
  w->match2 = PairedMemory(w->match2View);
  w->mainLayer = pblur->mainStreakLayer->ops->GetTileData(pblur->mainStreakLayer,
                                                           pass->mainLayerTile);
  w->tags = pblur->tagBuffer->ops->GetTileData(pblur->tagBuffer, pass->tagTile);
  w->depth = p.depthTest ? pass->depthCopy->ops->GetTileData(pass->depthCopy, pass->depthCopyTile)
                         : nullptr;
  w->secondaryLayer = p.secondaryLayer ? pblur->secondaryStreakLayer->ops->GetTileData(
                                             pblur->secondaryStreakLayer, pass->secondaryLayerTile)
                                       : nullptr;
  w->top = pass->tileRect->top;
  w->left = pass->tileRect->left;
  const bool readable = w->mainLayer && w->tags && (!p.depthTest || w->depth) &&
                        (!p.secondaryLayer || w->secondaryLayer);
  const std::uint32_t rowEnd = static_cast<std::uint32_t>(w->top) + pass->info.tileHeight;
  const std::uint32_t columnEnd = static_cast<std::uint32_t>(w->left) + pass->info.tileWidth;
  HostShell* shell = InitShell();
  for (std::int32_t y = w->top; readable && static_cast<std::uint32_t>(y) < rowEnd &&
                                static_cast<std::uint32_t>(y) < pass->info.height;
       ++y) {
    image->ops->SeekPixel(image, static_cast<std::int16_t>(w->left), static_cast<std::int16_t>(y));
    if (p.secondaryLayer) {
      alternate->ops->SeekPixel(alternate, static_cast<std::int16_t>(w->left),
                                static_cast<std::int16_t>(y));
    }
    for (std::int32_t x = w->left; static_cast<std::uint32_t>(x) < columnEnd &&
                                   static_cast<std::uint32_t>(x) < pass->info.width;
         ++x) {
      StreakPixel(pass, *w, settings, x, y);
      image->ops->NextPixel(image);
      if (p.secondaryLayer) alternate->ops->NextPixel(alternate);
    }
    shell->ops->Poll(shell, 100);
  }
  image->ops->UnlockTile(image, w->imageTile);
  ReleasePairedTile(&w->match1View);
  ReleasePairedTile(&w->match2View);
  ReleasePairedTile(&w->alternateView);
  ShowFinishedTile(pass);
}

}  // namespace

void RunStreakPhase(Pass* pass) {
  const ParameterBlock& p = pass->parameters;
  StreakSettings settings;
  settings.echoCount = static_cast<double>(p.echoCount);
  settings.jitter = p.jitter != 0;
  settings.depthTest = p.depthTest != 0;
  settings.secondaryLayer = p.secondaryLayer != 0;
  settings.weightMarked = WeightMarked(p.mainStrength, p.altStrength);
  TileIterator* images = pass->iterators[kImageIterator];
  if (!images) return;
  TileWork work = {};
  work.match1View = {pass->match1View, pass->iterators[kMatch1Iterator], 0, false};
  work.match2View = {pass->match2View, pass->iterators[kMatch2Iterator], 0, false};
  work.alternateView = {pass->alternateView, pass->iterators[kAlternateIterator], 0, false};
  while (images->ops->NextTile(images, 1, &work.imageTile, nullptr) == 0) {
    StreakTile(pass, &work, settings);
  }
}

}  // namespace qxv
