#include "blur/tag_objects.h"

#include "module/held.h"
#include "stages/tile_walker.h"
#include "weight/scene_lookup.h"

namespace qxv {
namespace {

// Decisions carried along the scan, across rows and tiles.
struct TagScan {
  std::uint32_t lastIndex;
  bool excluded;
  bool secondStreak;
};

// Rewrites each tile in place, in scan order: the left and upper neighbours
// are read as already rewritten, the right and lower ones as the host gave
// them. A neighbour outside the tile counts as the same object.
struct TagVisitor : TileVisitor {
  Pblur* pblur;
  std::int16_t mode;
  TagScan scan;

  void Visit(const WalkedTile& t) {
    if (!t.memory) return;
    const std::int32_t bottom = t.rect.bottom, right = t.rect.right;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      std::uint32_t* v = t.Row(y);
      for (std::int32_t x = t.left; static_cast<std::uint32_t>(x) < t.columnEnd; ++x, ++v) {
        const std::uint32_t index = *v & kTagIndexMask;
        if (index != scan.lastIndex) Decide(index);
        if (scan.excluded) {
          *v = 0;
        } else {
          bool outline = false;
          if (x < right - 1 && (v[1] & kTagIndexMask) != index) outline = true;
          if (x > t.left && (v[-1] & kTagIndexMask) != index) outline = true;
          if (y < bottom - 1 && (v[t.stride] & kTagIndexMask) != index) outline = true;
          if (y > t.top && (v[-t.stride] & kTagIndexMask) != index) outline = true;
          *v = index | (outline ? kOutlineBit : 0u) | (scan.secondStreak ? kSecondStreakBit : 0u);
        }
        scan.lastIndex = index;
      }
    }
  }

  // The scene is asked only where the object index changes along the scan.
  void Decide(std::uint32_t index) {
    if (mode == ModeAll) {
      scan.excluded = false;
      return;
    }
    scan.excluded = !LookupObjectWeights(pblur->sceneObjects, static_cast<std::int32_t>(index),
                                         mode == ModeOptIn, &scan.secondStreak);
  }
};

}  // namespace

void TagObjects(Pblur* pblur, std::int16_t mode, TileIterator** iteratorSlot) {
  TileBuffer* tags = pblur->tagBuffer;
  if (!OpenTiles(tags, iteratorSlot)) return;
  Rect16 rect = {0, 0, 0, 0};
  TagVisitor visitor;
  visitor.pblur = pblur;
  visitor.mode = mode;
  visitor.scan = TagScan{0, false, true};
  WalkTiles(tags, *iteratorSlot, &rect, WalkLimits{}, visitor);
  ReleaseField(iteratorSlot);
}

}  // namespace qxv
