#include "blur/composite_phase.h"

#include "blur/progress_icon.h"
#include "kernel/composite_pixel.h"
#include "kernel/neighbourhood.h"
#include "kernel/streak_pixel.h"
#include "stages/tile_walker.h"

namespace qxv {
namespace {

struct CompositeWork {
  std::uint32_t mainTile;
  std::uint32_t secondaryTile;
  bool secondaryTaken;
  bool mainTaken;
  BlendFactors mainFactors;
  BlendFactors alternateFactors;
};

// The secondary layer's 3 x 3 block around (x, y); outside the image is 0.
struct SecondaryBlock {
  std::uint32_t centre, left, right, up, down, upperLeft, upperRight, lowerLeft, lowerRight;
};

// A row is composited in stretches: the secondary layer's three rows are
// ORed column by column first, so that a pixel no layer covers is told at
// the cost of one OR of three columns.
constexpr std::int32_t kStretch = 256;

struct SecondaryColumns {
  // ors[k] covers column from - 1 + k; 0 outside the image.
  std::uint32_t ors[kStretch + 2];

  void Gather(const std::uint32_t* layer, std::int32_t width, std::int32_t height,
              std::int32_t y, std::int32_t from, std::int32_t to) {
    const std::uint32_t* row = layer + static_cast<std::ptrdiff_t>(y) * width;
    const bool hasUp = y > 0, hasDown = y < height - 1;
    for (std::int32_t x = from - 1; x <= to; ++x) {
      std::uint32_t c = 0;
      if (x >= 0 && x < width) {
        c = row[x] | (hasUp ? row[x - width] : 0u) | (hasDown ? row[x + width] : 0u);
      }
      ors[x - from + 1] = c;
    }
  }

  // Empty everywhere around column from + k (mark bits aside): the blend
  // then leaves the colour as it was.
  bool Covers(std::int32_t k) const {
    return !IsEmptyStreakPixel(ors[k] | ors[k + 1] | ors[k + 2]);
  }
};

SecondaryBlock BlockAround(const std::uint32_t* layer, std::int32_t width, std::int32_t height,
                           std::int32_t x, std::int32_t y) {
  const std::uint32_t* c = layer + static_cast<std::ptrdiff_t>(y) * width + x;
  const bool hasLeft = x > 0, hasRight = x < width - 1;
  const bool hasUp = y > 0, hasDown = y < height - 1;
  const std::uint32_t* up = c - width;
  const std::uint32_t* down = c + width;
  return SecondaryBlock{c[0],
                        hasLeft ? c[-1] : 0u,
                        hasRight ? c[1] : 0u,
                        hasUp ? up[0] : 0u,
                        hasDown ? down[0] : 0u,
                        hasUp && hasLeft ? up[-1] : 0u,
                        hasUp && hasRight ? up[1] : 0u,
                        hasDown && hasLeft ? down[-1] : 0u,
                        hasDown && hasRight ? down[1] : 0u};
}

// One image tile: the icon shown in its place, the tile locked and every
// pixel rewritten in its memory, the finished tile shown.
struct CompositeTileVisitor {
  Pass* pass;
  const CompositeWork* w;

  void Taken(std::uint32_t) {}
  void Enter(const WalkedTile& t) {
    *pass->tileRect = ToRect32(t.rect);
    ShowIconOverTile(pass);
  }

  void Visit(const WalkedTile& t) {
    Pblur* pblur = pass->pblur;
    const ParameterBlock& p = pass->parameters;
    TiledImage* image = pass->image;
    const std::uint32_t* mainLayer =
        w->mainTaken
            ? pblur->mainStreakLayer->ops->GetTileData(pblur->mainStreakLayer, w->mainTile)
            : nullptr;
    const std::uint32_t* secondaryLayer =
        p.secondaryLayer && w->secondaryTaken
            ? pblur->secondaryStreakLayer->ops->GetTileData(pblur->secondaryStreakLayer,
                                                            w->secondaryTile)
            : nullptr;
    if (!t.memory || !mainLayer || (p.secondaryLayer && !secondaryLayer)) return;
    const std::int32_t width = static_cast<std::int32_t>(pass->info.width);
    const std::int32_t height = static_cast<std::int32_t>(pass->info.height);
    const std::int32_t columnEnd = static_cast<std::int32_t>(t.columnEnd);
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      std::uint32_t* out = t.Row(y);
      const std::uint32_t* layerRow = mainLayer + static_cast<std::ptrdiff_t>(y) * width;
      for (std::int32_t from = t.left; from < columnEnd; from += kStretch) {
        const std::int32_t to = columnEnd - from > kStretch ? from + kStretch : columnEnd;
        SecondaryColumns columns;
        if (p.secondaryLayer) columns.Gather(secondaryLayer, width, height, y, from, to);
        for (std::int32_t x = from; x < to; ++x) {
          std::uint32_t& stored = out[x - t.left];
          // No layer covers the pixel: its colour stays, and only bits
          // 24-31 (which the composite writes as 0) can change. The host's
          // pixel is not needed then.
          if (Coverage(layerRow[x]) == 0u &&
              !(p.secondaryLayer && columns.Covers(x - from))) {
            stored &= kColourBits;
            continue;
          }
          const std::uint32_t pixel = ReadAtCursor(image, x, y);
          std::int32_t red = 0, green = 0, blue = 0;
          CompositeMainLayer(pixel, layerRow[x], p.mainStrength, &red, &green, &blue);
          if (p.secondaryLayer) {
            const SecondaryBlock block = BlockAround(secondaryLayer, width, height, x, y);
            BlendNeighbourhood(w->mainFactors, w->alternateFactors, &red, &green, &blue,
                               block.centre, block.left, block.right, block.up, block.down,
                               block.upperLeft, block.upperRight, block.lowerLeft,
                               block.lowerRight);
          }
          stored = (static_cast<std::uint32_t>(red) << 16) |
                   (static_cast<std::uint32_t>(green) << 8) | static_cast<std::uint32_t>(blue);
        }
      }
    }
  }

  void Leave(const WalkedTile&) { ShowFinishedTile(pass); }
};

}  // namespace

void RunCompositePhase(Pass* pass) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  TileIterator** scratch = &pass->iterators[kScratchIterator];
  CompositeWork w = {};
  if (p.secondaryLayer) {
    w.mainFactors = MakeBlendFactors(p.mainStrength);
    w.alternateFactors = MakeBlendFactors(p.altStrength);
  }
  OpenTiles(pass->image, &pass->iterators[kImageIterator]);
  w.mainTaken = TakeFirstTile(pblur->mainStreakLayer, scratch, &w.mainTile);
  if (p.secondaryLayer) {
    w.secondaryTaken = TakeFirstTile(pblur->secondaryStreakLayer, scratch, &w.secondaryTile);
    if (w.secondaryTaken) {
      pblur->secondaryStreakLayer->ops->LockTile(pblur->secondaryStreakLayer, w.secondaryTile);
    }
  }
  if (w.mainTaken) pblur->mainStreakLayer->ops->LockTile(pblur->mainStreakLayer, w.mainTile);
  TileIterator* images = pass->iterators[kImageIterator];
  if (images) {
    CompositeTileVisitor visitor = {pass, &w};
    WalkLimits limits;
    limits.width = pass->info.width;
    limits.height = pass->info.height;
    limits.tileWidth = pass->info.tileWidth;
    limits.tileHeight = pass->info.tileHeight;
    WalkTiles(pass->image, images, pass->workRect, limits, visitor);
  }
  if (w.mainTaken) pblur->mainStreakLayer->ops->UnlockTile(pblur->mainStreakLayer, w.mainTile);
  if (w.secondaryTaken) {
    pblur->secondaryStreakLayer->ops->UnlockTile(pblur->secondaryStreakLayer, w.secondaryTile);
  }
  ReleaseField(&pass->iterators[kImageIterator]);
}

}  // namespace qxv
