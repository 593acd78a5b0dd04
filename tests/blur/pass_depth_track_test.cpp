// The depth test through a whole pass. A one-pixel object of the alternate
// set moves from (3,2) to (11,2) of a 16 x 5 frame, from depth 180 to depth
// 20, behind which the pass lets its streak run back left across a still
// block at depth 100 (columns 4-8, every row). The streak's depth goes from
// this frame's depth of the pixel to the previous frame's depth of where it
// came from, so it passes behind the block's middle.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kGreen = 0x00C000;
constexpr std::uint32_t kMark = 0x80000000u;

class DepthTrack : public ModuleTest {
 protected:
  static void Draw(Frame& f, std::int32_t x, std::uint32_t depth) {
    f.Clear(0x000000);
    for (std::uint32_t y = 0; y < f.height; ++y) {
      for (std::uint32_t column = 0; column < f.width; ++column) {
        sim::WriteElement(f.depth, column, y, 1000);  // background far, not at the maximum
      }
    }
    f.DrawRect(4, 0, 5, 5, 2, 0x0000FF, 100);
    f.DrawRect(x, 2, 1, 1, 1, kGreen, depth, 1);
  }
};

TEST_F(DepthTrack, StreakDepthRunsFromThisFrameToTheReference) {
  ParameterBlock& p = pblur_->parameters;
  p.depthTest = 1;
  p.reverseLength = 0.0f;
  p.altLength = 10.5f;    // 8 pixels (11 + 1.05 * 8 = 19.4), and no floor
  p.trailFrames = 4.0f;   // keeps the secondary layer for reading
  Frame first(16, 5), second(16, 5);
  Draw(first, 3, 180);
  Draw(second, 11, 20);
  ASSERT_EQ(RunPass(pblur_, nullptr, first, view_).result, S_OK);
  ASSERT_EQ(RunPass(pblur_, nullptr, second, view_).result, S_OK);
  ASSERT_NE(pblur_->secondaryStreakLayer, nullptr);

  // Intensity 255 - 31.875 i at x = 11 - i; depth 20 + (180 - 20) / 8 i.
  // Inside the block (no outline) the sample is hidden where 100 < depth:
  // x = 7 has depth 100 (shown), x = 6 and 5 have 120 and 140 (hidden).
  // x = 8 and 4 lie on the block's outline and are painted whatever their depth.
  const std::uint32_t coverages[16] = {0, 0, 0, 0, 15, 0, 0, 63, 79, 95, 111, 127};
  for (std::uint32_t y = 0; y < 5; ++y) {
    for (std::uint32_t x = 0; x < 16; ++x) {
      const std::uint32_t c = y == 2 ? coverages[x] : 0u;
      const std::uint32_t expected = c == 0 ? 0u : kMark | (c << 24) | kGreen;
      EXPECT_EQ(sim::ReadElement(pblur_->secondaryStreakLayer, x, y), expected)
          << "x " << x << " y " << y;
    }
  }
}

}  // namespace
}  // namespace qxv::test
