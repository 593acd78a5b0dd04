#include "blur/previous_position.h"

#include "blur/search_host.h"
#include "kernel/object_tag.h"

namespace qxv {
namespace {

// The pixel has not moved: same object and identical match values in place.
bool SameInPlace(Pblur* pblur, std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                 std::int32_t x, std::int32_t y) {
  TileBuffer* tags = pblur->referenceTags;
  TileBuffer* match1 = pblur->referenceMatch1;
  TileBuffer* match2 = pblur->referenceMatch2;
  const std::int16_t cx = static_cast<std::int16_t>(x);
  const std::int16_t cy = static_cast<std::int16_t>(y);
  tags->ops->SeekPixel(tags, cx, cy);
  match1->ops->SeekPixel(match1, cx, cy);
  match2->ops->SeekPixel(match2, cx, cy);
  if ((tags->ops->PixelAtCursor(tags) & kTagIndexMask) != objectIndex) return false;
  if (match1->ops->PixelAtCursor(match1) != m1) return false;
  return match2->ops->PixelAtCursor(match2) == m2;
}

}  // namespace

bool FindPreviousPosition(Pblur* pblur, std::uint32_t objectIndex, std::uint32_t m1,
                          std::uint32_t m2, std::int32_t* x, std::int32_t* y, bool* found,
                          bool depthTest, std::uint32_t* endDepth) {
  TileBuffer* tags = pblur->referenceTags;
  std::uint32_t width = 0, height = 0, reserved = 0, depth = 0;
  tags->ops->GetTileGeometry(tags, &width, &height, &reserved, &depth);
  if (depth != 32) {
    *found = false;
    return false;
  }
  if (SameInPlace(pblur, objectIndex, m1, m2, *x, *y)) {
    *found = true;
    return true;
  }
  ObjectBox region = {0, static_cast<std::int32_t>(height) - 1, 0,
                      static_cast<std::int32_t>(width) - 1};
  const bool boxSearch = pblur->search.lastObject == static_cast<std::int32_t>(objectIndex);
  if (boxSearch) {
    // False only when the last search for this object found nothing.
    if (!*found) return false;
    region = pblur->search.objectBox;
  } else {
    *found = false;
    pblur->search.objectBox = kNoBox;
  }
  pblur->search.lastObject = static_cast<std::int32_t>(objectIndex);

  ReferenceFrame frame;
  frame.tags = tags->ops->GetTileData(tags, pblur->referenceTileIds[0]);
  TileBuffer* match1 = pblur->referenceMatch1;
  frame.match1 = match1->ops->GetTileData(match1, pblur->referenceTileIds[1]);
  TileBuffer* match2 = pblur->referenceMatch2;
  frame.match2 = match2->ops->GetTileData(match2, pblur->referenceTileIds[2]);
  frame.width = static_cast<std::int32_t>(width);
  frame.height = static_cast<std::int32_t>(height);
  MatchCandidate best = {false, 0, 0};
  if (frame.tags && frame.match1 && frame.match2) {
    best = SearchReference(&pblur->search, InitShellSearchHost(), frame, region, objectIndex, m1, m2, boxSearch);
  }
  if (best.found) {
    *x = best.x;
    *y = best.y;
  }
  if (depthTest && pblur->referenceDepth) {
    TileBuffer* reference = pblur->referenceDepth;
    reference->ops->SeekPixel(reference, static_cast<std::int16_t>(*x),
                              static_cast<std::int16_t>(*y));
    reference->ops->ReadPixel(reference, endDepth);
  }
  *found = best.found;
  return best.found;
}

}  // namespace qxv
