// Copies one 32-bit TileBuffer into another of the same size, one of the two
// being a single tile covering the whole buffer.
#pragma once
#include "host/result.h"
#include "host/tile_buffer.h"

namespace qxv {

// E_OUTOFMEMORY only when its working blocks could not be had (nothing is
// copied then). A source whose depth is not 32, no first tile, or two tiled
// buffers copy nothing and still give S_OK. Rows and columns are bounded by
// the smaller of the two sizes.
Result CopyBuffer(TileBuffer* source, TileBuffer* destination);

}  // namespace qxv
