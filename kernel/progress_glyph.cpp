#include "kernel/progress_glyph.h"

namespace qxv {
namespace {

// 8 x 8 cells, one byte per row, leftmost cell in the top bit.
constexpr std::uint8_t kGlyphOne[8] = {0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x1C, 0x00};
constexpr std::uint8_t kGlyphTwo[8] = {0x00, 0x1C, 0x22, 0x22, 0x0C, 0x10, 0x3E, 0x00};
constexpr std::uint32_t kGlyphOneColour = 0xF0F080u;
constexpr std::uint32_t kGlyphTwoColour = 0x80F0F0u;
constexpr std::uint32_t kCheckerGrey = 0x808080u;

}  // namespace

void PaintProgressGlyph(std::uint32_t* memory, std::uint32_t tileWidth, std::uint32_t tileHeight,
                        int glyph) {
  const std::uint8_t* rows = glyph == 1 ? kGlyphOne : (glyph == 2 ? kGlyphTwo : nullptr);
  const std::uint32_t colour = glyph == 1 ? kGlyphOneColour : kGlyphTwoColour;
  const std::uint32_t cell = (tileWidth < tileHeight ? tileWidth : tileHeight) / 8u;
  std::uint32_t* out = memory;
  for (std::uint32_t y = 0; y < tileHeight; ++y) {
    for (std::uint32_t x = 0; x < tileWidth; ++x, ++out) {
      bool inGlyph = false;
      if (rows != nullptr && cell != 0u) {
        const std::uint32_t cx = x / cell;
        const std::uint32_t cy = y / cell;
        inGlyph = cx < 8u && cy < 8u && ((rows[cy] >> (7u - cx)) & 1u) != 0u;
      }
      *out = inGlyph ? colour : (((x ^ y) & 8u) != 0u ? kCheckerGrey : 0u);
    }
  }
}

}  // namespace qxv
