// The geometry and the fading of a streak, on the main layer alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernel/paint_streak.h"
#include "kernel/streak_pixel.h"
#include "weight/jitter.h"

namespace qxv {
namespace {

constexpr std::uint32_t kColour = 0x123456u;

struct Painted {
  std::int32_t x, y;
  std::uint32_t coverage;
  bool operator==(const Painted& o) const { return x == o.x && y == o.y && coverage == o.coverage; }
};

std::ostream& operator<<(std::ostream& os, const Painted& p) {
  return os << "(" << p.x << "," << p.y << ":" << p.coverage << ")";
}

// A frame with a one-row margin above and below, so that a stray write
// outside the frame shows up in the margins instead of corrupting the heap.
struct Frame {
  std::int32_t width, height;
  std::vector<std::uint32_t> main;
  Frame(std::int32_t w, std::int32_t h) : width(w), height(h), main(static_cast<std::size_t>(w) * (h + 2), 0u) {}
  std::uint32_t* At(std::int32_t x, std::int32_t y) { return &main[static_cast<std::size_t>(y + 1) * width + x]; }
  bool MarginsClean() const {
    for (std::int32_t x = 0; x < width; ++x) {
      if (main[x] != 0u || main[static_cast<std::size_t>(height + 1) * width + x] != 0u) return false;
    }
    return true;
  }
  std::vector<Painted> PaintedPixels() {
    std::vector<Painted> out;
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        if (*At(x, y) != 0u) out.push_back({x, y, Coverage(*At(x, y))});
      }
    }
    return out;
  }
};

StreakRequest Request(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t sx,
                      std::int32_t sy, const Frame& f) {
  StreakRequest r{};
  r.x0 = x0; r.y0 = y0; r.x1 = x1; r.y1 = y1; r.sx = sx; r.sy = sy;
  r.width = f.width; r.height = f.height;
  r.colour = kColour;
  r.A0 = 255.0;
  r.D0 = -1.0;
  r.objectIndex = 1;
  r.floor = 0.0;
  return r;
}

StreakSettings Settings(double echoCount, bool jitter = false) {
  return StreakSettings{echoCount, jitter, false, false, 1.0f};
}

std::vector<Painted> Paint(Frame& f, const StreakRequest& r, const StreakSettings& s) {
  PaintStreak(s, nullptr, nullptr, r, StreakCursors{f.At(r.x0, r.y0), nullptr, nullptr, nullptr});
  EXPECT_TRUE(f.MarginsClean());
  return f.PaintedPixels();
}

TEST(PaintStreakWalkTest, ZeroDisplacementPaintsNothing) {
  Frame f(8, 8);
  EXPECT_TRUE(Paint(f, Request(3, 3, 3, 3, 1, 1, f), Settings(1.0)).empty());
  EXPECT_TRUE(Paint(f, Request(3, 3, 3, 3, 0, 0, f), Settings(1.0)).empty());
}

struct PathCase {
  const char* name;
  std::int32_t x0, y0, x1, y1, sx, sy;
  std::vector<Painted> expected;
};

TEST(PaintStreakWalkTest, PathsOfTheThreeWalks) {
  const PathCase cases[] = {
      {"diagonal 3,3: end pixel not painted", 1, 1, 4, 4, 1, 1, {{1, 1, 127}, {2, 2, 85}, {3, 3, 42}}},
      {"diagonal up-left", 5, 5, 2, 2, -1, -1, {{3, 3, 42}, {4, 4, 85}, {5, 5, 127}}},
      {"x-major 4,3 leaves the start row first", 0, 0, 4, 3, 1, 1, {{0, 1, 127}, {1, 1, 95}, {2, 2, 63}, {3, 3, 31}}},
      {"x-major 4,2 starts on its row", 0, 0, 4, 2, 1, 1, {{0, 0, 127}, {1, 1, 95}, {2, 1, 63}, {3, 2, 31}}},
      {"y-major 3,4 mirrors x-major", 0, 0, 3, 4, 1, 1, {{1, 0, 127}, {1, 1, 95}, {2, 2, 63}, {3, 3, 31}}},
      {"y-major upward", 2, 7, 2, 3, 0, -1, {{2, 4, 31}, {2, 5, 63}, {2, 6, 95}, {2, 7, 127}}},
      {"horizontal leftward", 6, 2, 2, 2, -1, 0, {{3, 2, 31}, {4, 2, 63}, {5, 2, 95}, {6, 2, 127}}},
      // The direction comes from sx, sy alone.
      {"diagonal lengths with sx 0 runs straight down", 4, 0, 7, 3, 0, 1, {{4, 0, 127}, {4, 1, 85}, {4, 2, 42}}},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    Frame f(8, 8);
    EXPECT_EQ(Paint(f, Request(c.x0, c.y0, c.x1, c.y1, c.sx, c.sy, f), Settings(1.0)), c.expected);
  }
}

struct FadeCase {
  double echoCount;
  std::int32_t dx;
  std::vector<std::uint32_t> coverages;
};

TEST(PaintStreakWalkTest, IntensityFallsAndRestartsInEchoes) {
  const FadeCase cases[] = {
      {1.0, 10, {127, 114, 102, 89, 76, 63, 51, 38, 25, 12}},
      // 255, 191.25, 127.5, 63.75, then exactly 0: no restart, the floor test ends it.
      {2.0, 8, {127, 95, 63, 31}},
      // 255, 182, 109, 36, echo -36.43 + 127 = 90, 17; then -1 keeps it below.
      {2.0, 7, {127, 91, 54, 18, 45, 8}},
      {1.0, 1, {127}},
  };
  for (const FadeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "N " << c.echoCount << " dx " << c.dx);
    Frame f(24, 1);
    StreakRequest r = Request(0, 0, c.dx, 0, 1, 0, f);
    r.D0 = 255.0 - 256.0 / c.echoCount;
    std::vector<std::uint32_t> coverages;
    for (const Painted& p : Paint(f, r, Settings(c.echoCount))) coverages.push_back(p.coverage);
    EXPECT_EQ(coverages, c.coverages);
  }
}

TEST(PaintStreakWalkTest, FrameBordersEndTheWalk) {
  const PathCase cases[] = {
      {"right border", 5, 1, 15, 1, 1, 0, {{5, 1, 127}, {6, 1, 114}, {7, 1, 102}}},
      {"left border", 2, 1, -8, 1, -1, 0, {{0, 1, 102}, {1, 1, 114}, {2, 1, 127}}},
      {"bottom border", 1, 5, 1, 15, 0, 1, {{1, 5, 127}, {1, 6, 114}, {1, 7, 102}}},
      {"top border on the diagonal", 2, 2, -8, -8, -1, -1, {{0, 0, 102}, {1, 1, 114}, {2, 2, 127}}},
      {"x-major minor step off the bottom", 0, 7, 4, 10, 1, 1, {}},
      {"y-major minor step off the right", 7, 0, 10, 4, 1, 1, {}},
      // The end lies behind the step direction: only floor or border stop it.
      {"end behind, border stops", 2, 1, 12, 1, -1, 0, {{0, 1, 102}, {1, 1, 114}, {2, 1, 127}}},
      {"end behind, floor stops", 5, 1, 7, 1, -1, 0, {{4, 1, 63}, {5, 1, 127}}},
      {"start outside the frame", 3, 8, 6, 9, 1, 1, {}},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    Frame f(8, 8);
    EXPECT_EQ(Paint(f, Request(c.x0, c.y0, c.x1, c.y1, c.sx, c.sy, f), Settings(1.0)), c.expected);
  }
}

TEST(PaintStreakWalkTest, FloorAndNonFiniteInputs) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case { const char* name; double echoCount, A0, floor; std::int32_t x1; std::size_t painted; };
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
    Frame f(6, 1);
    StreakRequest r = Request(0, 0, c.x1, 0, 1, 0, f);
    r.A0 = c.A0;
    r.floor = c.floor;
    EXPECT_EQ(Paint(f, r, Settings(c.echoCount)).size(), c.painted);
  }
}

TEST(PaintStreakWalkTest, HugeEndPointsKeepTheirDirection) {
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const PathCase cases[] = {
      {"x1 INT32_MAX", 5, 2, kMax, 2, 1, 0, {{5, 2, 127}, {6, 2, 127}, {7, 2, 127}}},
      {"x1 INT32_MIN", 2, 2, kMin, 2, -1, 0, {{0, 2, 127}, {1, 2, 127}, {2, 2, 127}}},
      // y-major with a minor step before every visit.
      {"y1 INT32_MIN, x1 INT32_MAX", 2, 2, kMax, kMin, 1, -1, {{5, 0, 127}, {4, 1, 127}, {3, 2, 127}}},
      {"both extreme on the diagonal", 7, 7, kMin + 7, kMin + 7, -1, -1,
       {{0, 0, 127}, {1, 1, 127}, {2, 2, 127}, {3, 3, 127}, {4, 4, 127}, {5, 5, 127}, {6, 6, 127}, {7, 7, 127}}},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    Frame f(8, 8);
    EXPECT_EQ(Paint(f, Request(c.x0, c.y0, c.x1, c.y1, c.sx, c.sy, f), Settings(1.0)), c.expected);
  }
}

TEST(PaintStreakWalkTest, JitterScalesEveryStepFromTheGenerator) {
  const std::uint32_t saved = JitterState();
  SetJitterState(1u);
  Frame f(12, 1);
  const std::vector<Painted> painted = Paint(f, Request(0, 0, 10, 0, 1, 0, f), Settings(1.0, true));

  std::vector<std::uint32_t> expected;
  std::uint32_t state = 1u;
  double a = 255.0;
  for (std::int32_t x = 0; x < 10 && a > 0.0; ++x) {
    expected.push_back((static_cast<std::uint32_t>(a) & 0xFEu) >> 1);
    state = state * 1103515245u + 12345u;
    a -= 2.0 * ((state >> 16) & 0x7FFFu) / 32767.0 * 25.5;
    if (a < 0.0) a += -1.0;
  }
  ASSERT_EQ(painted.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(painted[i].coverage, expected[i]);
  }
  // One draw per visited pixel, none for the loop test that ends the walk.
  EXPECT_EQ(JitterState(), state);
  const std::vector<std::uint32_t> literal = {127, 114, 109, 102, 88, 64, 59, 41, 36, 23};
  EXPECT_EQ(expected, literal);

  Frame g(12, 1);
  Paint(g, Request(0, 0, 10, 0, 1, 0, g), Settings(1.0, false));
  EXPECT_EQ(JitterState(), state);
  SetJitterState(saved);
}

}  // namespace
}  // namespace qxv
