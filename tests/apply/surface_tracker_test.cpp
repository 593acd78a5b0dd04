// Match values derived from motion vectors follow each surface point from
// frame to frame, wherever the vectors point.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "apply/passes/surface_tracker.h"

namespace qxv::apply {
namespace {

constexpr std::uint32_t kW = 16, kH = 6;

// Object 1 over columns [left, right) of rows 1-4.
std::vector<std::uint32_t> Block(std::uint32_t left, std::uint32_t right) {
  std::vector<std::uint32_t> objects(kW * kH, 0);
  for (std::uint32_t y = 1; y <= 4; ++y) {
    for (std::uint32_t x = left; x < right; ++x) objects[y * kW + x] = 1;
  }
  return objects;
}

Motion Uniform(double dx, double dy) {
  return Motion{std::vector<double>(kW * kH, dx), std::vector<double>(kW * kH, dy)};
}

std::uint32_t Fixed(double v) {
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::llround(v * 256.0)));
}

struct Frames {
  SurfaceTracker tracker;
  std::vector<std::uint32_t> m1, m2;
  void Next(const std::vector<std::uint32_t>& objects, const Motion& motion) {
    tracker.Next(kW, kH, objects, motion, &m1, &m2);
  }
};

TEST(ApplySurfaceTrackerTest, AMovingObjectKeepsItsPointsValues) {
  struct Case {
    const char* name;
    double dx, dy;  // to the previous frame, applied to a block at columns 6-11
  };
  const Case cases[] = {{"still", 0, 0},
                        {"whole pixels", -3, 0},
                        {"half pixels", -2.5, 0},
                        {"diagonal", -1.25, 0.5},
                        {"from the right", 2, -0.75}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Frames t;
    // The block where it was, wide enough to hold every point it shows now.
    const int left = 6 + static_cast<int>(std::floor(c.dx));
    const int right = 12 + static_cast<int>(std::ceil(c.dx));
    t.Next(Block(static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(right)),
           Uniform(0, 0));
    // The first frame: every pixel's own position.
    EXPECT_EQ(t.m1[2 * kW + 5], Fixed(5));
    EXPECT_EQ(t.m2[2 * kW + 5], Fixed(2));
    const std::vector<std::uint32_t> now = Block(6, 12);
    t.Next(now, Uniform(c.dx, c.dy));
    for (std::uint32_t i = 0; i < now.size(); ++i) {
      if (!now[i]) continue;
      const double x = i % kW, y = i / kW;
      ASSERT_EQ(t.m1[i], Fixed(x + c.dx)) << "pixel " << x << "," << y;
      ASSERT_EQ(t.m2[i], Fixed(y + c.dy)) << "pixel " << x << "," << y;
    }
  }
}

TEST(ApplySurfaceTrackerTest, ValuesChainOverFramesToWhereThePointFirstWas) {
  Frames t;
  t.Next(Block(0, 4), Uniform(0, 0));
  t.Next(Block(2, 6), Uniform(-2, 0));
  t.Next(Block(5, 9), Uniform(-3, 0));
  // Pixel 6 of the third frame was at 3, then at 1 in the first frame.
  EXPECT_EQ(t.m1[2 * kW + 6], Fixed(1));
}

TEST(ApplySurfaceTrackerTest, HiddenPointsTakeTheirObjectsNearestOrAverageValues) {
  Frames t;
  t.Next(Block(0, 4), Uniform(0, 0));
  t.Next(Block(4, 8), Uniform(-2, 0));  // first values: x - 2
  // Every pixel points 3 columns past the object's right edge: pixels 7 and
  // 8 land within reach of it, pixel 14 does not and takes the average.
  Motion m = Uniform(0, 0);
  for (std::uint32_t x : {6u, 7u, 14u}) m.dx[2 * kW + x] = 4;
  std::vector<std::uint32_t> objects = Block(4, 8);
  objects[2 * kW + 14] = 1;
  t.Next(objects, m);
  // Carried from the nearest pixel of the object, column 7 (value 5).
  EXPECT_EQ(t.m1[2 * kW + 6], Fixed(5 + 3));
  EXPECT_EQ(t.m1[2 * kW + 7], Fixed(5 + 4));
  // The object's values lay 2 behind its pixels on average.
  EXPECT_EQ(t.m1[2 * kW + 14], Fixed(18 - 2));
}

TEST(ApplySurfaceTrackerTest, VectorsThatAreNotNumbersOrHugeStayInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {nan, inf, -inf, 1e300, -1e300}) {
    SCOPED_TRACE(v);
    Frames t;
    t.Next(Block(3, 9), Uniform(0, 0));
    t.Next(Block(3, 9), Uniform(v, v));
    const std::uint32_t at = 2 * kW + 5;
    if (std::isnan(v)) {
      // As no motion.
      EXPECT_EQ(t.m1[at], Fixed(5));
      EXPECT_EQ(t.m2[at], Fixed(2));
    }
    t.Next(Block(3, 9), Uniform(-v, v));  // and back, with no overflow on the way
  }
}

TEST(ApplySurfaceTrackerTest, ANewSizeStartsAfresh) {
  Frames t;
  t.Next(Block(0, 4), Uniform(0, 0));
  t.Next(Block(2, 6), Uniform(-2, 0));
  SurfaceTracker& tracker = t.tracker;
  std::vector<std::uint32_t> m1, m2;
  tracker.Next(4, 2, std::vector<std::uint32_t>(8, 1),
               Motion{std::vector<double>(8, 5.0), std::vector<double>(8, 5.0)}, &m1, &m2);
  EXPECT_EQ(m1[7], Fixed(3));
  EXPECT_EQ(m2[7], Fixed(1));
}

}  // namespace
}  // namespace qxv::apply
