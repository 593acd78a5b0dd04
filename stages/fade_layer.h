// Fades what earlier frames left in a streak layer.
#pragma once
#include <cstdint>

#include "host/result.h"
#include "host/tile_buffer.h"

namespace qxv {

// Lowers every coverage by 128 / count (marked pixels: 128 / markedCount);
// a pixel whose coverage is spent is cleared. Nothing happens unless one
// count is above 1. E_OUTOFMEMORY when the working block could not be had
// (the layer is then untouched), S_OK otherwise.
Result FadeLayer(TileBuffer* layer, std::int32_t count, std::int32_t markedCount);

}  // namespace qxv
