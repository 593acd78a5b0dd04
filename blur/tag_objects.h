// Turns the copied object-index buffer into object tags.
#pragma once
#include "blur/pblur.h"
#include "host/tile_iterator.h"
#include "kernel/object_tag.h"

namespace qxv {

// Rewrites pblur->tagBuffer in place: excluded objects become 0, blurred
// pixels keep their index and gain the outline and second-streak bits. The
// iterator it opens lives in *iteratorSlot, where the pass's failure path
// finds it.
void TagObjects(Pblur* pblur, std::int16_t mode, TileIterator** iteratorSlot);

}  // namespace qxv
