// How the intensity of a streak falls, restarts in echoes and stops.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernel/paint_streak.h"
#include "kernel/streak_pixel.h"
#include "weight/jitter.h"

namespace qxv {
namespace {

struct Fade {
  double echoCount = 1.0;
  double startIntensity = 255.0;
  double floor = 0.0;
  std::int32_t dx = 10;
  std::int32_t width = 24;
  bool jitter = false;
  bool depthTest = false;
  bool secondaryLayer = false;
};

// Coverages painted along a horizontal streak from x = 0, left to right; the
// restart amount starts at 255 - 256 / N as the pass gives it.
std::vector<std::uint32_t> Coverages(const Fade& f) {
  std::vector<std::uint32_t> row(f.width + 1, 0u);
  // With the depth test, every pixel is the streak's own object: nothing
  // hides it.
  std::vector<std::uint32_t> secondary(f.width + 1, 0u), tags(f.width + 1, 1u),
      depths(f.width + 1, 0u);
  StreakRequest r{};
  r.objectIndex = 1;
  r.x1 = f.dx;
  r.sx = 1;
  r.width = f.width;
  r.height = 1;
  r.colour = 0x123456u;
  r.startIntensity = f.startIntensity;
  r.echoRestart = 255.0 - 256.0 / f.echoCount;
  r.floor = f.floor;
  const StreakSettings settings{f.echoCount, f.jitter, f.depthTest, f.secondaryLayer, 1.0f};
  PaintStreak(settings, nullptr, nullptr, r,
              StreakCursors{row.data(), secondary.data(), tags.data(), depths.data()});
  EXPECT_EQ(row.back(), 0u);
  std::vector<std::uint32_t> out;
  for (std::int32_t x = 0; x < f.width; ++x) {
    if (row[x] != 0u) out.push_back(Coverage(row[x]));
  }
  return out;
}

TEST(PaintStreakFadeTest, IntensityFallsAndRestartsInEchoes) {
  struct Case {
    double echoCount;
    std::int32_t dx;
    std::vector<std::uint32_t> coverages;
  };
  const Case cases[] = {
      {1.0, 10, {127, 114, 102, 89, 76, 63, 51, 38, 25, 12}},
      // 255, 191.25, 127.5, 63.75, then exactly 0: no restart, the floor test ends it.
      {2.0, 8, {127, 95, 63, 31}},
      // 255, 182, 109, 36, echo -36.43 + 127 = 90, 17; then -1 keeps it below.
      {2.0, 7, {127, 91, 54, 18, 45, 8}},
      {1.0, 1, {127}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "N " << c.echoCount << " dx " << c.dx);
    Fade f;
    f.echoCount = c.echoCount;
    f.dx = c.dx;
    EXPECT_EQ(Coverages(f), c.coverages);
  }
}

TEST(PaintStreakFadeTest, FloorAndNonFiniteInputs) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    double echoCount, startIntensity, floor;
    std::int32_t dx;
    std::size_t painted;
  };
  const Case cases[] = {
      {"start at the floor", 1.0, 100.0, 100.0, 4, 0},
      {"start below the floor", 1.0, 100.0, 150.0, 4, 0},
      {"NaN start", 1.0, nan, 0.0, 4, 0},
      {"NaN floor", 1.0, 255.0, nan, 4, 0},
      {"NaN echo count paints the first pixel", nan, 255.0, 0.0, 4, 1},
      {"infinite echo count paints the first pixel", inf, 255.0, 0.0, 4, 1},
      {"zero echo count never fades", 0.0, 255.0, 0.0, 100, 6},
      // (255 - 192) * 2 / 8 = 15.75 a step: A reaches 192 after four pixels.
      {"floor 192 stops before the end", 2.0, 255.0, 192.0, 8, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fade f;
    f.echoCount = c.echoCount;
    f.startIntensity = c.startIntensity;
    f.floor = c.floor;
    f.dx = c.dx;
    f.width = 6;
    EXPECT_EQ(Coverages(f).size(), c.painted);
  }
}

// Every combination of depth test and secondary layer walks its own way;
// each must draw from the generator at every step.
TEST(PaintStreakFadeTest, JitterScalesEveryStepFromTheGenerator) {
  const std::uint32_t saved = JitterState();
  // The same walk by hand, with one draw per visited pixel.
  std::vector<std::uint32_t> expected;
  std::uint32_t state = 1u;
  double a = 255.0;
  for (std::int32_t x = 0; x < 10 && a > 0.0; ++x) {
    expected.push_back((static_cast<std::uint32_t>(a) & 0xFEu) >> 1);
    state = state * 1103515245u + 12345u;
    a -= 2.0 * ((state >> 16) & 0x7FFFu) / 32767.0 * 25.5;
    if (a < 0.0) a += -1.0;
  }
  const std::vector<std::uint32_t> literal = {127, 114, 109, 102, 88, 64, 59, 41, 36, 23};
  EXPECT_EQ(expected, literal);

  for (const bool depthTest : {false, true}) {
    for (const bool secondaryLayer : {false, true}) {
      SCOPED_TRACE(testing::Message() << "depth test " << depthTest << ", secondary layer "
                                      << secondaryLayer);
      SetJitterState(1u);
      Fade jittered;
      jittered.jitter = true;
      jittered.depthTest = depthTest;
      jittered.secondaryLayer = secondaryLayer;
      EXPECT_EQ(Coverages(jittered), expected);
      EXPECT_EQ(JitterState(), state);  // none for the loop test that ends the walk

      Fade plain = jittered;
      plain.jitter = false;
      Coverages(plain);
      EXPECT_EQ(JitterState(), state) << "a walk without jitter drew from the generator";
    }
  }
  SetJitterState(saved);
}

}  // namespace
}  // namespace qxv
