// Copies one 32-bit TileBuffer into another of the same size, one of the two
// being a single tile covering the whole buffer.
#pragma once
#include "host/tile_buffer.h"

namespace qxv {

// False only when its working blocks could not be allocated (nothing is
// copied then). A source whose depth is not 32, no first tile, or two tiled
// buffers copy nothing and still count as done.
bool CopyBuffer(TileBuffer* source, TileBuffer* destination);

}  // namespace qxv
