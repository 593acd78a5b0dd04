// Smooths a streak layer in place with the 1-3-1 / 3-4-3 / 1-3-1 filter.
#pragma once
#include "blur/pblur.h"

namespace qxv {

// Uses pblur->rowScratch (two rows of the image's width) to keep the
// unfiltered row above. With honourMarks, marked pixels keep their value and
// count as copies of the centre around an unmarked one. False only when the
// working block could not be allocated (the layer is then untouched).
bool SmoothLayer(Pblur* pblur, TileBuffer* layer, bool honourMarks);

}  // namespace qxv
