// Making the pass's host objects and taking first tiles, with every new
// reference stored in its field before anything else can raise.
#pragma once
#include <cstdint>

#include "blur/pass.h"
#include "module/held.h"

namespace qxv {

// Creates a TileBuffer into *field and sizes it. False (with the pass marked
// out of memory) when the host gave no object.
bool MakeTileBuffer(Pass* pass, TileBuffer** field, std::uint32_t width, std::uint32_t height,
                    std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                    std::uint32_t optionTag);
// A buffer of the image's size and format.
bool MakeImageSizedBuffer(Pass* pass, TileBuffer** field);
bool MakeProgressIcon(Pass* pass);

// Region every tile iterator is opened over.
extern const Rect16 kWholeRegion;

// Opens an iterator in *slot, takes one tile id and releases the iterator.
// False when the buffer has no tile.
template <typename Tiled>
bool TakeFirstTile(Tiled* buffer, TileIterator** slot, std::uint32_t* tile) {
  *slot = buffer->ops->NewTileIterator(buffer, &kWholeRegion);
  if (!*slot) return false;
  const bool taken = (*slot)->ops->NextTile(*slot, 1, tile, nullptr) == 0;
  ReleaseField(slot);
  return taken;
}

// Rect32 -> Rect16 keeping the low 16 bits of each value.
Rect16 ToRect16(const Rect32& r);
Rect32 ToRect32(const Rect16& r);

}  // namespace qxv
