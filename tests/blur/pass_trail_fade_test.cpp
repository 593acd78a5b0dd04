// Trails off with trailFrames 4: the main layer is made anew every pass, but
// the secondary layer survives and is faded at the next full pass with count
// 0 for unmarked pixels (cleared at once) and 4 for marked ones (coverage
// down by 128 / 4 = 32).
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kMark = 0x80000000u;

class TrailFade : public ModuleTest {
 protected:
  // Frame 0 and 1: a one-pixel alternate-set object on row 1 and a 3 x 3
  // object on rows 3-5 (whose centre, having no outline, paints the
  // secondary layer unmarked), both moving 8 pixels right. Frame 2: empty.
  static void Draw(Frame& f, int n) {
    f.Clear(0x000000);
    if (n == 2) return;
    f.DrawRect(3 + 8 * n, 1, 1, 1, 1, kWhite, 100, 1);
    f.DrawRect(2 + 8 * n, 3, 3, 3, 2, kGreen);
  }
  std::uint32_t Secondary(std::uint32_t x, std::uint32_t y) {
    return sim::ReadElement(pblur_->secondaryStreakLayer, x, y);
  }
};

TEST_F(TrailFade, SecondaryLayerFadedWithCountsZeroAndTrailFrames) {
  ParameterBlock& p = pblur_->parameters;
  p.trails = 0;
  p.trailFrames = 4.0f;
  p.altLength = 10.0f;  // with trailFrames 4: floor 192
  p.reverseLength = 0.0f;
  for (int n = 0; n < 2; ++n) {
    Frame f(16, 7);
    Draw(f, n);
    ASSERT_EQ(RunPass(pblur_, nullptr, f, view_).result, S_OK);
  }
  ASSERT_NE(pblur_->secondaryStreakLayer, nullptr);
  EXPECT_EQ(pblur_->mainStreakLayer, nullptr);
  // Painted: 127, 123, ..., 99 on row 1 from x = 11 to 4 (steps of 7.875 down
  // to 192, halved), marked. The unmarked streak of the other object's centre
  // (127 at (11,4), 95 at (10,4)) smoothed there to (4 * 127 + 3 * 95) / 20 = 39.
  const std::uint32_t painted[8] = {99, 103, 107, 111, 115, 119, 123, 127};
  for (std::uint32_t x = 4; x <= 11; ++x) {
    EXPECT_EQ(Secondary(x, 1), kMark | (painted[x - 4] << 24) | kWhite) << "x " << x;
  }
  EXPECT_EQ(Secondary(11, 4), (39u << 24) | kGreen);

  Frame last(16, 7);
  Draw(last, 2);
  ASSERT_EQ(RunPass(pblur_, nullptr, last, view_).result, S_OK);
  ASSERT_NE(pblur_->secondaryStreakLayer, nullptr);
  // Marked pixels 32 weaker, everything unmarked gone; nothing new painted.
  for (std::uint32_t y = 0; y < 7; ++y) {
    for (std::uint32_t x = 0; x < 16; ++x) {
      std::uint32_t expected = 0;
      if (y == 1 && x >= 4 && x <= 11) expected = kMark | ((painted[x - 4] - 32) << 24) | kWhite;
      EXPECT_EQ(Secondary(x, y), expected) << "x " << x << " y " << y;
    }
  }
}

}  // namespace
}  // namespace qxv::test
