#include "blur/tag_objects.h"

#include "blur/pass_objects.h"
#include "module/held.h"
#include "weight/scene_lookup.h"

namespace qxv {
namespace {

// Decisions carried along the scan, across rows and tiles.
struct TagScan {
  std::uint32_t lastIndex;
  bool excluded;
  bool secondStreak;
};

void TagTile(Pblur* pblur, std::int16_t mode, std::uint32_t* memory, const Rect16& r,
             TagScan* scan) {
  const std::int32_t top = r.top, left = r.left, bottom = r.bottom, right = r.right;
  const std::ptrdiff_t rowLength = right - left;
  for (std::int32_t y = top; y < bottom; ++y) {
    std::uint32_t* row = memory + (y - top) * rowLength;
    for (std::int32_t x = left; x < right; ++x) {
      std::uint32_t* v = row + (x - left);
      const std::uint32_t index = *v & kTagIndexMask;
      if (index != scan->lastIndex) {
        if (mode == ModeAll) {
          scan->excluded = false;
        } else {
          scan->excluded = !LookupObjectWeights(pblur->sceneObjects, static_cast<std::int32_t>(index),
                                                mode == ModeOptIn, &scan->secondStreak);
        }
      }
      if (scan->excluded) {
        *v = 0;
      } else {
        // Left and upper neighbours are already rewritten; a neighbour
        // outside the tile counts as the same object.
        bool outline = false;
        if (x < right - 1 && (v[1] & kTagIndexMask) != index) outline = true;
        if (x > left && (v[-1] & kTagIndexMask) != index) outline = true;
        if (y < bottom - 1 && (v[rowLength] & kTagIndexMask) != index) outline = true;
        if (y > top && (v[-rowLength] & kTagIndexMask) != index) outline = true;
        *v = index | (outline ? kOutlineBit : 0u) | (scan->secondStreak ? kSecondStreakBit : 0u);
      }
      scan->lastIndex = index;
    }
  }
}

}  // namespace

void TagObjects(Pblur* pblur, std::int16_t mode, TileIterator** iteratorSlot) {
  TileBuffer* tags = pblur->tagBuffer;
  TagScan scan = {0, false, true};
  *iteratorSlot = tags->ops->NewTileIterator(tags, &kWholeRegion);
  if (!*iteratorSlot) return;
  std::uint32_t tile = 0;
  while ((*iteratorSlot)->ops->NextTile(*iteratorSlot, 1, &tile, nullptr) == 0) {
    Rect16 r = {0, 0, 0, 0};
    tags->ops->GetTileRect(tags, tile, &r);
    tags->ops->LockTile(tags, tile);
    std::uint32_t* memory = tags->ops->GetTileData(tags, tile);
    if (memory) TagTile(pblur, mode, memory, r, &scan);
    tags->ops->UnlockTile(tags, tile);
  }
  ReleaseField(iteratorSlot);
}

}  // namespace qxv
