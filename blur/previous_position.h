// Where the same part of an object lay in the previous frame.
#pragma once
#include <cstdint>

#include "blur/pblur.h"
#include "kernel/match_index.h"

namespace qxv {

// The reference frame as the streak phase reads it: the memory of its locked
// tiles, asked for once per phase.
struct ReferenceView {
  bool usable;            // tags of 32-bit pixels, and memory for all three
  ReferenceFrame frame;   // row length = the tag buffer's tile width
  const std::uint32_t* depth;  // null without the depth test or a depth reference
};

// The reference tiles must be locked, their ids in referenceTileIds; with
// depthTest and a reference depth buffer, *depthTile is its locked tile
// (null: none is locked).
ReferenceView TakeReferenceView(Pblur* pblur, bool depthTest, const std::uint32_t* depthTile);

// Finds, for one object pixel of the current frame, the reference pixel of
// the same object whose match values are closest to (m1, m2). On success
// writes its position to *x, *y (unchanged when the pixel did not move) and,
// with a depth reference in the view, its depth to *endDepth.
// *found carries the previous search's result in and this one's out.
bool FindPreviousPosition(Pblur* pblur, const ReferenceView& reference, std::uint32_t objectIndex,
                          std::uint32_t m1, std::uint32_t m2, std::int32_t* x, std::int32_t* y,
                          bool* found, std::uint32_t* endDepth);

}  // namespace qxv
