// Which pixels a streak visits, on the main layer alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernel/paint_streak.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

struct Painted {
  std::int32_t x, y;
  std::uint32_t coverage;
  bool operator==(const Painted& o) const {
    return x == o.x && y == o.y && coverage == o.coverage;
  }
};

std::ostream& operator<<(std::ostream& os, const Painted& p) {
  return os << "(" << p.x << "," << p.y << ":" << p.coverage << ")";
}

// An 8x8 frame with a one-row margin above and below, so that a stray write
// outside the frame shows up in the margins instead of corrupting the heap.
class Frame {
 public:
  static constexpr std::int32_t kSize = 8;

  std::uint32_t* At(std::int32_t x, std::int32_t y) { return &pixels_[(y + 1) * kSize + x]; }

  // Painted pixels in row-major order; asserts that the margins are clean.
  std::vector<Painted> Paint(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                             std::int32_t sx, std::int32_t sy) {
    StreakRequest r{};
    r.x0 = x0, r.y0 = y0, r.x1 = x1, r.y1 = y1, r.sx = sx, r.sy = sy;
    r.width = r.height = kSize;
    r.colour = 0x123456u;
    r.startIntensity = 255.0;
    r.echoRestart = -1.0;
    r.objectIndex = 1;
    const StreakSettings settings{1.0, false, false, false, 1.0f};
    PaintStreak(settings, nullptr, nullptr, r, StreakCursors{At(x0, y0), nullptr, nullptr, nullptr});
    for (std::int32_t x = 0; x < kSize; ++x) {
      EXPECT_EQ(pixels_[x], 0u);
      EXPECT_EQ(pixels_[(kSize + 1) * kSize + x], 0u);
    }
    std::vector<Painted> out;
    for (std::int32_t y = 0; y < kSize; ++y) {
      for (std::int32_t x = 0; x < kSize; ++x) {
        if (*At(x, y) != 0u) out.push_back({x, y, Coverage(*At(x, y))});
      }
    }
    return out;
  }

 private:
  std::vector<std::uint32_t> pixels_ = std::vector<std::uint32_t>((kSize + 2) * kSize, 0u);
};

struct PathCase {
  const char* name;
  std::int32_t x0, y0, x1, y1, sx, sy;
  std::vector<Painted> expected;
};

void Check(const std::vector<PathCase>& cases) {
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    Frame f;
    EXPECT_EQ(f.Paint(c.x0, c.y0, c.x1, c.y1, c.sx, c.sy), c.expected);
  }
}

// Echo count 1 throughout: intensities fall from 255 to 0 over n pixels.
TEST(PaintStreakWalkTest, PathsOfTheThreeWalks) {
  // clang-format off
  Check({
      {"no displacement", 3, 3, 3, 3, 1, 1, {}},
      {"no displacement, no direction", 3, 3, 3, 3, 0, 0, {}},
      {"diagonal 3,3: end pixel not painted", 1, 1, 4, 4, 1, 1,
       {{1, 1, 127}, {2, 2, 85}, {3, 3, 42}}},
      {"diagonal up-left", 5, 5, 2, 2, -1, -1, {{3, 3, 42}, {4, 4, 85}, {5, 5, 127}}},
      {"x-major 4,3 leaves the start row first", 0, 0, 4, 3, 1, 1,
       {{0, 1, 127}, {1, 1, 95}, {2, 2, 63}, {3, 3, 31}}},
      {"x-major 4,2 starts on its row", 0, 0, 4, 2, 1, 1,
       {{0, 0, 127}, {1, 1, 95}, {2, 1, 63}, {3, 2, 31}}},
      {"y-major 3,4 mirrors x-major", 0, 0, 3, 4, 1, 1,
       {{1, 0, 127}, {1, 1, 95}, {2, 2, 63}, {3, 3, 31}}},
      {"y-major upward", 2, 7, 2, 3, 0, -1, {{2, 4, 31}, {2, 5, 63}, {2, 6, 95}, {2, 7, 127}}},
      {"horizontal leftward", 6, 2, 2, 2, -1, 0,
       {{3, 2, 31}, {4, 2, 63}, {5, 2, 95}, {6, 2, 127}}},
      // The direction comes from sx and sy alone.
      {"diagonal lengths, sx 0: straight down", 4, 0, 7, 3, 0, 1,
       {{4, 0, 127}, {4, 1, 85}, {4, 2, 42}}},
  });
  // clang-format on
}

TEST(PaintStreakWalkTest, FrameBordersEndTheWalk) {
  const std::vector<Painted> left = {{0, 1, 102}, {1, 1, 114}, {2, 1, 127}};
  // clang-format off
  Check({
      {"right border", 5, 1, 15, 1, 1, 0, {{5, 1, 127}, {6, 1, 114}, {7, 1, 102}}},
      {"left border", 2, 1, -8, 1, -1, 0, left},
      {"bottom border", 1, 5, 1, 15, 0, 1, {{1, 5, 127}, {1, 6, 114}, {1, 7, 102}}},
      {"top border on the diagonal", 2, 2, -8, -8, -1, -1,
       {{0, 0, 102}, {1, 1, 114}, {2, 2, 127}}},
      {"bottom border on the diagonal, down and right", 3, 5, 13, 15, 1, 1,
       {{3, 5, 127}, {4, 6, 114}, {5, 7, 102}}},
      {"x-major minor step off the bottom", 0, 7, 4, 10, 1, 1, {}},
      {"y-major minor step off the right", 7, 0, 10, 4, 1, 1, {}},
      // The end lies behind the step direction: only floor or border stop it.
      {"end behind, border stops", 2, 1, 12, 1, -1, 0, left},
      {"end behind, floor stops", 5, 1, 7, 1, -1, 0, {{4, 1, 63}, {5, 1, 127}}},
      {"start outside the frame", 3, 8, 6, 9, 1, 1, {}},
  });
  // clang-format on
}

TEST(PaintStreakWalkTest, HugeEndPointsKeepTheirDirection) {
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  std::vector<Painted> diagonal;
  for (std::int32_t i = 0; i < Frame::kSize; ++i) diagonal.push_back({i, i, 127});
  // clang-format off
  Check({
      {"x1 INT32_MAX", 5, 2, kMax, 2, 1, 0, {{5, 2, 127}, {6, 2, 127}, {7, 2, 127}}},
      {"x1 INT32_MIN", 2, 2, kMin, 2, -1, 0, {{0, 2, 127}, {1, 2, 127}, {2, 2, 127}}},
      // y-major with a minor step before every visit.
      {"y1 INT32_MIN, x1 INT32_MAX", 2, 2, kMax, kMin, 1, -1,
       {{5, 0, 127}, {4, 1, 127}, {3, 2, 127}}},
      {"both extreme on the diagonal", 7, 7, kMin + 7, kMin + 7, -1, -1, diagonal},
  });
  // clang-format on
}

}  // namespace
}  // namespace qxv
