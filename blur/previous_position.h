// Where the same part of an object lay in the previous frame.
#pragma once
#include <cstdint>

#include "blur/pblur.h"

namespace qxv {

// Finds, for one object pixel of the current frame, the reference pixel of
// the same object whose match values are closest to (m1, m2). On success
// writes its position to *x, *y (unchanged when the pixel did not move) and,
// with depthTest and a reference depth buffer, its depth to *endDepth.
// *found carries the previous search's result in and this one's out.
// The reference tiles must be locked and their ids in referenceTileIds.
bool FindPreviousPosition(Pblur* pblur, std::uint32_t objectIndex, std::uint32_t m1,
                          std::uint32_t m2, std::int32_t* x, std::int32_t* y, bool* found,
                          bool depthTest, std::uint32_t* endDepth);

}  // namespace qxv
