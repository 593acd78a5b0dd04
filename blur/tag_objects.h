// Turns the copied object-index buffer into object tags.
#pragma once
#include "blur/pblur.h"
#include "host/tile_iterator.h"

namespace qxv {

constexpr std::uint32_t kTagIndexMask = 0x3FFFFFFFu;
constexpr std::uint32_t kSecondStreakBit = 0x40000000u;
constexpr std::uint32_t kOutlineBit = 0x80000000u;

// Rewrites pblur->tagBuffer in place: excluded objects become 0, blurred
// pixels keep their index and gain the outline and second-streak bits. The
// iterator it opens lives in *iteratorSlot, where the pass's failure path
// finds it.
void TagObjects(Pblur* pblur, std::int16_t mode, TileIterator** iteratorSlot);

}  // namespace qxv
