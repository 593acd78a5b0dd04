// Motion vectors that a renderer's pixel filter spilt across silhouettes
// give way to what the object's own pixels beside them say.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "apply/passes/silhouette_motion.h"

namespace qxv::apply {
namespace {

// A frame drawn as rows of object digits, with every vector (dx, 0).
struct Frame {
  std::uint32_t width, height;
  std::vector<std::uint32_t> objects;
  Motion motion;

  explicit Frame(const std::vector<std::string>& rows)
      : width(static_cast<std::uint32_t>(rows[0].size())),
        height(static_cast<std::uint32_t>(rows.size())) {
    for (const std::string& row : rows) {
      for (char c : row) objects.push_back(static_cast<std::uint32_t>(c - '0'));
    }
    motion.dx.assign(objects.size(), 0.0);
    motion.dy.assign(objects.size(), 0.0);
  }
  std::size_t At(std::uint32_t x, std::uint32_t y) const { return y * width + x; }
  void Fill(std::uint32_t object, double dx) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (objects[i] == object) motion.dx[i] = dx;
    }
  }
  Motion Steadied() const {
    Motion m = motion;
    SteadySilhouetteMotion(width, height, objects, &m);
    return m;
  }
};

// A still pillar (1) in front of a ball (2) moving 8 px: the pillar's edge
// column carries 3 px of the ball's motion, one sample spilt a pixel
// further in and two at the filter's reach, two pixels in. The ball itself
// is uniform.
TEST(ApplySilhouetteMotionTest, AStillObjectDropsTheMotionSpiltFromOneBehindIt) {
  Frame f({"222211111000",  //
           "222211111000",  //
           "222211111000",  //
           "222211111000",  //
           "222211111000",  //
           "222211111000"});
  f.Fill(2, 8.0);
  for (std::uint32_t y = 0; y < f.height; ++y) f.motion.dx[f.At(4, y)] = 3.0;
  f.motion.dx[f.At(5, 2)] = 0.5;
  f.motion.dx[f.At(6, 1)] = 0.25;
  f.motion.dx[f.At(6, 4)] = 0.25;
  f.motion.dy[f.At(5, 3)] = std::numeric_limits<double>::quiet_NaN();
  const Motion m = f.Steadied();
  for (std::uint32_t y = 0; y < f.height; ++y) {
    for (std::uint32_t x = 0; x < f.width; ++x) {
      const std::uint32_t o = f.objects[f.At(x, y)];
      SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
      EXPECT_EQ(m.dx[f.At(x, y)], o == 2 ? 8.0 : 0.0);
      EXPECT_EQ(m.dy[f.At(x, y)], 0.0);
    }
  }
}

// A moving object over the background: its rim, half covered, carries half
// its motion and takes the whole; pixels three or more inside the rim and
// the background keep theirs, whatever they are.
TEST(ApplySilhouetteMotionTest, AMovingObjectsRimTakesItsOwnMotion) {
  Frame f({"0000000000",  //
           "0111111110",  //
           "0111111110",  //
           "0111111110",  //
           "0111111110",  //
           "0111111110",  //
           "0111111110",  //
           "0111111110",  //
           "0000000000"});
  f.Fill(1, -4.0);
  for (std::size_t i = 0; i < f.objects.size(); ++i) {
    const std::uint32_t x = static_cast<std::uint32_t>(i % f.width);
    const std::uint32_t y = static_cast<std::uint32_t>(i / f.width);
    if (f.objects[i] == 0) f.motion.dx[i] = 0.25;
    if (f.objects[i] == 1 && (x == 1 || x == 8 || y == 1 || y == 7)) f.motion.dx[i] = -2.0;
  }
  f.motion.dx[f.At(4, 4)] = -4.5;  // three pixels from every edge of the rim
  const Motion m = f.Steadied();
  for (std::size_t i = 0; i < f.objects.size(); ++i) {
    SCOPED_TRACE("pixel " + std::to_string(i % f.width) + "," + std::to_string(i / f.width));
    const double expected = f.objects[i] == 0 ? 0.25 : (i == f.At(4, 4) ? -4.5 : -4.0);
    EXPECT_EQ(m.dx[i], expected);
  }
}

// A part one pixel wide is all silhouette: its pixels agree on the median
// of their own vectors, and a lone pixel keeps its own.
TEST(ApplySilhouetteMotionTest, PartsWithNoInsideKeepWhatTheirOwnPixelsSay) {
  Frame f({"00000000",  //
           "01111100",  //
           "00000000",  //
           "00000020"});
  const double line[] = {3.0, 3.0, 2.5, 3.0, 3.5};
  for (std::uint32_t x = 1; x <= 5; ++x) f.motion.dx[f.At(x, 1)] = line[x - 1];
  f.motion.dx[f.At(6, 3)] = 7.0;
  const Motion m = f.Steadied();
  for (std::uint32_t x = 1; x <= 5; ++x) EXPECT_EQ(m.dx[f.At(x, 1)], 3.0) << "column " << x;
  EXPECT_EQ(m.dx[f.At(6, 3)], 7.0);
}

}  // namespace
}  // namespace qxv::apply
