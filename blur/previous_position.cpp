#include "blur/previous_position.h"

#include "blur/search_host.h"
#include "kernel/object_tag.h"

namespace qxv {
namespace {

std::ptrdiff_t At(const ReferenceFrame& frame, std::int32_t x, std::int32_t y) {
  return static_cast<std::ptrdiff_t>(y) * frame.width + x;
}

bool Inside(const ReferenceFrame& frame, std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x < frame.width && y < frame.height;
}

// The pixel has not moved: same object and identical match values in place.
bool SameInPlace(const ReferenceFrame& frame, std::uint32_t objectIndex, std::uint32_t m1,
                 std::uint32_t m2, std::int32_t x, std::int32_t y) {
  if (!Inside(frame, x, y)) return false;
  const std::ptrdiff_t at = At(frame, x, y);
  return TagIndex(frame.tags[at]) == objectIndex && frame.match1[at] == m1 &&
         frame.match2[at] == m2;
}

}  // namespace

ReferenceView TakeReferenceView(Pblur* pblur, bool depthTest, const std::uint32_t* depthTile) {
  ReferenceView view = {};
  TileBuffer* tags = pblur->referenceTags;
  std::uint32_t width = 0, height = 0, reserved = 0, pixelDepth = 0;
  tags->ops->GetTileGeometry(tags, &width, &height, &reserved, &pixelDepth);
  TileBuffer* match1 = pblur->referenceMatch1;
  TileBuffer* match2 = pblur->referenceMatch2;
  view.frame.tags = tags->ops->GetTileData(tags, pblur->referenceTileIds[0]);
  view.frame.match1 = match1->ops->GetTileData(match1, pblur->referenceTileIds[1]);
  view.frame.match2 = match2->ops->GetTileData(match2, pblur->referenceTileIds[2]);
  view.frame.width = static_cast<std::int32_t>(width);
  view.frame.height = static_cast<std::int32_t>(height);
  view.usable = pixelDepth == 32 && view.frame.tags && view.frame.match1 && view.frame.match2;
  TileBuffer* depth = pblur->referenceDepth;
  if (depthTest && depth && depthTile) view.depth = depth->ops->GetTileData(depth, *depthTile);
  return view;
}

bool FindPreviousPosition(Pblur* pblur, const ReferenceView& reference, std::uint32_t objectIndex,
                          std::uint32_t m1, std::uint32_t m2, std::int32_t* x, std::int32_t* y,
                          bool* found, std::uint32_t* endDepth) {
  if (!reference.usable) {
    *found = false;
    return false;
  }
  const ReferenceFrame& frame = reference.frame;
  if (SameInPlace(frame, objectIndex, m1, m2, *x, *y)) {
    *found = true;
    return true;
  }
  ObjectBox region = {0, frame.height - 1, 0, frame.width - 1};
  MatchSearchState& search = pblur->search;
  const bool boxSearch = search.lastObject == static_cast<std::int32_t>(objectIndex);
  if (boxSearch) {
    // False only when the last search for this object found nothing.
    if (!*found) return false;
    region = search.objectBox;
  } else {
    *found = false;
    search.objectBox = kNoBox;
  }
  search.lastObject = static_cast<std::int32_t>(objectIndex);
  const MatchCandidate best = SearchReference(&search, InitShellSearchHost(), frame, region,
                                              objectIndex, m1, m2, boxSearch);
  if (best.found) {
    *x = best.x;
    *y = best.y;
  }
  if (reference.depth && Inside(frame, *x, *y)) *endDepth = reference.depth[At(frame, *x, *y)];
  *found = best.found;
  return best.found;
}

}  // namespace qxv
