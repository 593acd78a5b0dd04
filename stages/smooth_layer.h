// Smooths a streak layer in place with the 1-3-1 / 3-4-3 / 1-3-1 filter.
#pragma once
#include "host/result.h"
#include "host/tile_buffer.h"

namespace qxv {

// rowScratch (a 32-bit buffer of two rows of the layer's width, one tile)
// keeps the unfiltered row above, so the filter reads only unfiltered
// values. With honourMarks, marked pixels keep their value and count as
// copies of the centre around an unmarked one. E_OUTOFMEMORY when the
// working block could not be had (the layer is then untouched), S_OK
// otherwise; a layer whose depth is not 32 is left alone.
Result SmoothLayer(TileBuffer* layer, TileBuffer* rowScratch, bool honourMarks);

}  // namespace qxv
