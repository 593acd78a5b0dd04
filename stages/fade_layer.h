// Fades what earlier frames left in a streak layer.
#pragma once
#include <cstdint>

#include "host/tile_buffer.h"

namespace qxv {

// Lowers every coverage by 128 / count (marked pixels: 128 / markedCount);
// a pixel whose coverage is spent is cleared. Nothing happens unless one
// count is above 1. False only when the working block could not be
// allocated (the layer is then untouched).
bool FadeLayer(TileBuffer* layer, std::int32_t count, std::int32_t markedCount);

}  // namespace qxv
