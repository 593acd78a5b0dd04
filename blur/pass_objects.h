// Making the pass's host objects, with every new reference stored in its
// field before anything else can raise.
#pragma once
#include <cstdint>

#include "blur/pass.h"
#include "host/result.h"
#include "stages/tile_walker.h"

namespace qxv {

// Creates a TileBuffer into *field and sizes it. E_OUTOFMEMORY when the host
// gave no object, or one that is not a single tile of the size asked for
// (it is then released and *field is null).
Result MakeTileBuffer(TileBuffer** field, std::uint32_t width, std::uint32_t height,
                      std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                      std::uint32_t optionTag);
// A buffer of the image's size and format.
Result MakeImageSizedBuffer(const Pass* pass, TileBuffer** field);
// The icon, one tile of the image's tile size; E_OUTOFMEMORY as above.
Result MakeProgressIcon(Pass* pass);

}  // namespace qxv
