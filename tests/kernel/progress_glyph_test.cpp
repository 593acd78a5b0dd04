#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kernel/progress_glyph.h"

namespace qxv {
namespace {

const char* const kGlyphs[2][8] = {
    {"00000000", "00001000", "00011000", "00001000", "00001000", "00001000", "00011100",
     "00000000"},
    {"00000000", "00011100", "00100010", "00100010", "00001100", "00010000", "00111110",
     "00000000"},
};
constexpr std::uint32_t kSentinel = 0xDEADBEEFu;

std::uint32_t Expected(std::uint32_t x, std::uint32_t y, std::uint32_t cell, int glyph) {
  if (cell != 0 && x / cell < 8 && y / cell < 8 && kGlyphs[glyph - 1][y / cell][x / cell] == '1') {
    return glyph == 1 ? 0xF0F080u : 0x80F0F0u;
  }
  return ((x ^ y) & 8u) != 0u ? 0x808080u : 0u;
}

std::vector<std::uint32_t> Paint(std::uint32_t w, std::uint32_t h, int glyph) {
  std::vector<std::uint32_t> memory(w * h + 1, kSentinel);
  PaintProgressGlyph(memory.data(), w, h, glyph);
  EXPECT_EQ(memory.back(), kSentinel);
  memory.pop_back();
  return memory;
}

TEST(ProgressGlyphTest, GlyphOnCheckerboard) {
  struct Case {
    std::uint32_t w, h, cell;
  };
  const Case cases[] = {{16, 16, 2}, {32, 24, 3}, {24, 32, 3}, {64, 64, 8}, {8, 9, 1},
                        {4, 4, 0},   {7, 100, 0}, {1, 1, 0},   {0, 5, 0},   {5, 0, 0}};
  for (int glyph = 1; glyph <= 2; ++glyph) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "glyph " << glyph << " tile " << c.w << "x" << c.h);
      const std::vector<std::uint32_t> memory = Paint(c.w, c.h, glyph);
      for (std::uint32_t y = 0; y < c.h; ++y) {
        for (std::uint32_t x = 0; x < c.w; ++x) {
          ASSERT_EQ(memory[y * c.w + x], Expected(x, y, c.cell, glyph)) << "at " << x << "," << y;
        }
      }
    }
  }
}

TEST(ProgressGlyphTest, SixteenPixelTileHasTwoPixelCells) {
  const std::vector<std::uint32_t> one = Paint(16, 16, 1);
  EXPECT_EQ(one[2 * 16 + 8], 0xF0F080u);  // row 1, cell 4
  EXPECT_EQ(one[3 * 16 + 9], 0xF0F080u);
  EXPECT_EQ(one[2 * 16 + 10], 0x808080u);  // cell 5 is off: checkerboard, (10 ^ 2) & 8
  EXPECT_EQ(one[2 * 16 + 7], 0u);
  const std::vector<std::uint32_t> two = Paint(16, 16, 2);
  EXPECT_EQ(two[2 * 16 + 6], 0x80F0F0u);   // row 1, cell 3
  EXPECT_EQ(two[12 * 16 + 4], 0x80F0F0u);  // row 6, cell 2
  EXPECT_EQ(two[12 * 16 + 2], 0x808080u);  // row 6, cell 1 is off
  // Outside the 16x16 glyph area of a wider tile: checkerboard of 8-pixel squares.
  const std::vector<std::uint32_t> wide = Paint(32, 16, 1);
  EXPECT_EQ(wide[0 * 32 + 16], 0u);
  EXPECT_EQ(wide[0 * 32 + 24], 0x808080u);
  EXPECT_EQ(wide[8 * 32 + 16], 0x808080u);
  EXPECT_EQ(wide[8 * 32 + 24], 0u);
}

TEST(ProgressGlyphTest, UnknownGlyphIsCheckerboardOnly) {
  const std::vector<std::uint32_t> memory = Paint(16, 16, 3);
  for (std::uint32_t y = 0; y < 16; ++y) {
    for (std::uint32_t x = 0; x < 16; ++x) {
      ASSERT_EQ(memory[y * 16 + x], Expected(x, y, 0, 1));
    }
  }
}

}  // namespace
}  // namespace qxv
