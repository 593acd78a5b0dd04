// The progress icon shown in place of an image tile while the pass works on
// it: a digit on a checkerboard.
#pragma once
#include <cstdint>

namespace qxv {

// Paints tileHeight rows of tileWidth elements: glyph 1 (streak phase) or 2
// (composite phase) scaled to cells of min(tileWidth, tileHeight) / 8 pixels
// in the top-left corner, checkerboard of 8-pixel squares everywhere else.
// Tiles under 8 pixels, and any other glyph number, get the checkerboard only.
void PaintProgressGlyph(std::uint32_t* memory, std::uint32_t tileWidth, std::uint32_t tileHeight,
                        int glyph);

}  // namespace qxv
