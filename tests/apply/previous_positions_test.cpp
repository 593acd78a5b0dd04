// Match values from motion vectors: each pixel's values are where its point
// lay in the previous frame, in that frame's pixel coordinates, as the
// frame handed again with its own coordinates holds them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "apply/passes/previous_positions.h"

namespace qxv::apply {
namespace {

constexpr std::uint32_t kW = 16, kH = 6;

std::uint32_t Fixed(double v) {
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::llround(v * 256.0)));
}

TEST(ApplyPreviousPositionsTest, EachPixelTakesItsPositionPlusItsVectorInFixedPoint) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    std::uint32_t x, y;
    double dx, dy;
    double wantX, wantY;
  };
  const Case cases[] = {
      {"still", 5, 2, 0.0, 0.0, 5.0, 2.0},
      {"whole pixels", 5, 2, -3.0, 1.0, 2.0, 3.0},
      {"quarter pixels", 9, 4, -1.25, 0.5, 7.75, 4.5},
      {"past the frame's edge, wrapping below 0", 0, 0, -3.5, -0.25, -3.5, -0.25},
      {"halves of a 256th: away from 0", 0, 0, 1.5 / 256, -1.5 / 256, 1.5 / 256, -1.5 / 256},
      {"just under half a 256th: toward 0", 0, 0, 0.4999 / 256, -0.4999 / 256, 0.0, 0.0},
      {"not numbers: no motion", 7, 3, nan, -inf, 7.0, 3.0},
      {"huge: held far past any frame", 2, 1, 1.0e12, -1.0e12, 2.0 + 1.0e6, 1.0 - 1.0e6},
  };
  for (const Case& c : cases) {
    Motion motion{std::vector<double>(kW * kH, 0.0), std::vector<double>(kW * kH, 0.0)};
    const std::size_t at = std::size_t{c.y} * kW + c.x;
    motion.dx[at] = c.dx;
    motion.dy[at] = c.dy;
    std::vector<std::uint32_t> m1, m2;
    PreviousPositions(kW, kH, motion, &m1, &m2);
    ASSERT_EQ(m1.size(), std::size_t{kW} * kH) << c.what;
    EXPECT_EQ(m1[at], Fixed(c.wantX)) << c.what;
    EXPECT_EQ(m2[at], Fixed(c.wantY)) << c.what;
    // Its neighbour, without motion, keeps its own position.
    const std::size_t next = at + 1;
    EXPECT_EQ(m1[next], Fixed(static_cast<double>(next % kW))) << c.what;
    EXPECT_EQ(m2[next], Fixed(static_cast<double>(next / kW))) << c.what;
  }
}

TEST(ApplyPreviousPositionsTest, AFrameHandedAgainHoldsWhereItsPixelsAre) {
  std::vector<std::uint32_t> own1, own2, moved1, moved2;
  OwnPositions(kW, kH, &own1, &own2);
  ASSERT_EQ(own1.size(), std::size_t{kW} * kH);
  EXPECT_EQ(own1[2 * kW + 5], Fixed(5.0));
  EXPECT_EQ(own2[2 * kW + 5], Fixed(2.0));
  // A point that moved 3 pixels right since the previous frame carries the
  // values of the pixel it came from there.
  PreviousPositions(kW, kH,
                    Motion{std::vector<double>(kW * kH, -3.0), std::vector<double>(kW * kH, 0.0)},
                    &moved1, &moved2);
  EXPECT_EQ(moved1[2 * kW + 8], own1[2 * kW + 5]);
  EXPECT_EQ(moved2[2 * kW + 8], own2[2 * kW + 5]);
}

}  // namespace
}  // namespace qxv::apply
