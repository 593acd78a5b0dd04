// The shutter look on boxes moving over a background: a moving box blurs
// into the box filter of the shutter interval, a nearer still object keeps
// its colour, the background shows through the blurred edges, untouched
// pixels keep their bits, bright values and partial alpha blur as they are,
// and the picture is the same on any number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "shutter/shutter_blur.h"
#include "tests/shutter/box_scene.h"

namespace qxv::shutter::test {
namespace {

Result Blurred(const BoxScene& scene, double shutter = 0.5, unsigned threads = 2) {
  Settings s;
  s.shutter = shutter;
  s.threads = threads;
  return Blur(scene.AsFrame(), s);
}

// The fraction of the shutter interval during which the box covers the
// centre of pixel column x (a box moving along x).
double Covered(const Box& b, double shutter, std::uint32_t x) {
  const double centre = x + 0.5, half = shutter / 2.0;
  const double enters = (centre - b.left - b.width) / b.vx, leaves = (centre - b.left) / b.vx;
  const double from = std::max(-half, std::min(enters, leaves));
  const double to = std::min(half, std::max(enters, leaves));
  return std::max(0.0, to - from) / shutter;
}

TEST(ShutterBlurTest, AMovingSquareBlursIntoTheShutterIntervalsBoxFilter) {
  struct Case {
    const char* name;
    float speed;  // pixels per frame, right (negative: left)
    double shutter;
  };
  const Case cases[] = {
      {"16 px a frame, half open", 16.0f, 0.5},
      {"16 px a frame to the left, half open", -16.0f, 0.5},
      {"30 px a frame, fully open", 30.0f, 1.0},
      {"6 px a frame, a quarter open", 6.0f, 0.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Box box{30.0f, 10.0f, 20.0f, 20.0f, c.speed, 0.0f, {0.9f, 0.5f, 0.1f, 1.0f}, 10.0f};
    const BoxScene scene(80, 40, {box}, Plain(0.1f, 0.2f, 0.3f));
    const Result r = Blurred(scene, c.shutter);
    double total = 0.0;
    for (std::uint32_t x = 0; x < scene.width; ++x) {
      const double f = Covered(box, c.shutter, x);
      const double expected = 0.1 + f * (0.9 - 0.1);
      const double error = std::fabs(scene.At(r.rgba, x, 20)[0] - expected);
      total += error;
      EXPECT_NEAR(scene.At(r.rgba, x, 20)[0], expected, 0.1) << "x " << x;
    }
    // Off the edges' corners the profile follows the box filter closely.
    EXPECT_LT(total / scene.width, 0.012);
  }
}

TEST(ShutterBlurTest, ANearerStillObjectTakesNoneOfTheMoversColour) {
  const Box mover{10.0f, 10.0f, 16.0f, 16.0f, 20.0f, 0.0f, {1.0f, 0.0f, 0.0f, 1.0f}, 20.0f};
  const Box pillar{28.0f, 0.0f, 6.0f, 40.0f, 0.0f, 0.0f, {0.0f, 0.0f, 1.0f, 1.0f}, 5.0f};
  const BoxScene scene(60, 40, {mover, pillar}, Plain(0.2f, 0.2f, 0.2f));
  const Result r = Blurred(scene);
  int reached = 0;
  for (std::uint32_t y = 0; y < scene.height; ++y) {
    for (std::uint32_t x = 28; x < 34; ++x) {
      EXPECT_EQ(std::memcmp(scene.At(r.rgba, x, y), scene.At(scene.rgba, x, y), 16), 0)
          << "pillar pixel " << x << "," << y;
    }
    // The mover's blur runs up to the pillar's side.
    reached += scene.At(r.rgba, 27, y)[0] > 0.3f;
  }
  EXPECT_GT(reached, 10);
}

TEST(ShutterBlurTest, TheBackgroundShowsThroughAMoversBlurredEdges) {
  // Vertical stripes behind a box moving right: where the box's edges
  // blur, the stripes show, at the share of the shutter the box leaves.
  const auto stripes = [](std::uint32_t x, std::uint32_t, float* out) {
    const float v = (x / 3) % 2 ? 0.8f : 0.2f;
    out[0] = v, out[1] = v, out[2] = v, out[3] = 1.0f;
  };
  const Box box{30.0f, 10.0f, 24.0f, 20.0f, 24.0f, 0.0f, {0.0f, 1.0f, 0.0f, 1.0f}, 10.0f};
  const BoxScene scene(90, 40, {box}, stripes);
  const Result r = Blurred(scene);
  for (std::uint32_t x : {25u, 27u, 31u, 33u, 52u, 55u, 57u}) {
    SCOPED_TRACE("x " + std::to_string(x));
    const double f = Covered(box, 0.5, x);
    ASSERT_GT(f, 0.1);
    ASSERT_LT(f, 0.9);
    const float* out = scene.At(r.rgba, x, 20);
    // Green is the box's share; red the stripes', never the box's.
    EXPECT_NEAR(out[1] - out[0], f, 0.2);
    EXPECT_GT(out[0], 0.2 * (1.0 - f) - 0.02);
  }
}

TEST(ShutterBlurTest, PixelsNothingMovesOverKeepTheirBits) {
  // Odd values, NaN and infinity among them, away from a small mover.
  const auto odd = [](std::uint32_t x, std::uint32_t y, float* out) {
    out[0] = static_cast<float>(x * 7 + y) / 3.0f;
    out[1] = x == 70 && y == 5 ? NAN : -0.125f;
    out[2] = x == 71 && y == 5 ? INFINITY : 1e-30f;
    out[3] = 0.5f;
  };
  const Box box{8.0f, 8.0f, 6.0f, 6.0f, 10.0f, 4.0f, {1.0f, 1.0f, 1.0f, 1.0f}, 10.0f};
  const BoxScene scene(80, 40, {box}, odd);
  const Result r = Blurred(scene);
  int kept = 0;
  for (std::uint32_t y = 0; y < scene.height; ++y) {
    for (std::uint32_t x = 0; x < scene.width; ++x) {
      const std::size_t i = std::size_t{y} * scene.width + x;
      const bool far = x > 24 || y > 20;
      if (!far) continue;
      EXPECT_TRUE(r.kept[i]) << x << "," << y;
      EXPECT_EQ(std::memcmp(&r.rgba[i * 4], &scene.rgba[i * 4], 16), 0) << x << "," << y;
      ++kept;
    }
  }
  EXPECT_GT(kept, 2000);
  // And the mover did blur.
  EXPECT_FALSE(r.kept[std::size_t{10} * scene.width + 8]);
}

TEST(ShutterBlurTest, BrightValuesAndPartialAlphaBlurAsTheyAre) {
  struct Case {
    const char* name;
    float rgba[4];  // the box's, premultiplied
    float background[4];
  };
  const Case cases[] = {
      {"a highlight at 40", {40.0f, 20.0f, 8.0f, 1.0f}, {0.1f, 0.1f, 0.1f, 1.0f}},
      {"half-covering smoke over nothing", {0.3f, 0.2f, 0.1f, 0.5f}, {0.0f, 0.0f, 0.0f, 0.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Box box{20.0f, 10.0f, 16.0f, 16.0f, 20.0f, 0.0f,
                  {c.rgba[0], c.rgba[1], c.rgba[2], c.rgba[3]}, 10.0f};
    const BoxScene scene(70, 36, {box},
                         Plain(c.background[0], c.background[1], c.background[2], c.background[3]));
    const Result r = Blurred(scene);
    for (std::uint32_t x = 10; x < 45; ++x) {
      const double f = Covered(box, 0.5, x);
      const float* out = scene.At(r.rgba, x, 18);
      for (int k = 0; k < 4; ++k) {
        const double expected = c.background[k] + f * (c.rgba[k] - c.background[k]);
        EXPECT_NEAR(out[k], expected, 0.1 * std::max(1.0f, std::fabs(c.rgba[k]))) << "x " << x << " channel " << k;
      }
    }
    // Inside the box's middle the full value stays, above 1 where it was.
    EXPECT_FLOAT_EQ(scene.At(r.rgba, 28, 18)[0], c.rgba[0]);
  }
}

TEST(ShutterBlurTest, TheSamePictureOnAnyNumberOfThreads) {
  const Box a{10.0f, 5.0f, 14.0f, 12.0f, 12.0f, 5.0f, {0.9f, 0.2f, 0.1f, 1.0f}, 10.0f};
  const Box b{40.0f, 20.0f, 10.0f, 10.0f, -9.0f, -3.0f, {0.1f, 0.3f, 0.9f, 1.0f}, 8.0f};
  const BoxScene scene(64, 40, {a, b}, Plain(0.3f, 0.3f, 0.3f));
  const Result one = Blurred(scene, 0.5, 1), three = Blurred(scene, 0.5, 3);
  EXPECT_EQ(std::memcmp(one.rgba.data(), three.rgba.data(), one.rgba.size() * 4), 0);
  EXPECT_EQ(one.kept, three.kept);
}

}  // namespace
}  // namespace qxv::shutter::test
