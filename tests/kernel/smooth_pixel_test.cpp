#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kernel/neighbourhood.h"

namespace qxv {
namespace {

constexpr std::uint32_t kMark = 0x80000000u;

std::uint32_t Pixel(std::uint32_t coverage, std::uint32_t colour) {
  return (coverage << 24) | colour;
}

// Smooths a whole layer the way the stage does: every neighbourhood is read
// from the unfiltered layer, missing neighbours are 0, and with honourMarks a
// marked centre is not rewritten.
std::vector<std::uint32_t> SmoothGrid(const std::vector<std::uint32_t>& in, int w, int h,
                                      bool honourMarks) {
  static const int kOffsets[9][2] = {{0, 0},   {1, 0}, {-1, 0}, {1, -1}, {0, -1},
                                     {-1, -1}, {1, 1}, {0, 1},  {-1, 1}};
  std::vector<std::uint32_t> out(in);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t n[9];
      for (int k = 0; k < 9; ++k) {
        const int nx = x + kOffsets[k][0], ny = y + kOffsets[k][1];
        n[k] = (nx >= 0 && nx < w && ny >= 0 && ny < h) ? in[ny * w + nx] : 0u;
      }
      if (!(honourMarks && (n[0] & kMark) != 0u)) out[y * w + x] = SmoothPixel(n, honourMarks);
    }
  }
  return out;
}

TEST(SmoothPixelTest, UniformLayerLosesCoverageOnlyAtTheBorder) {
  const int w = 5, h = 4;
  for (std::uint32_t mark : {0u, kMark}) {
    SCOPED_TRACE(mark);
    const std::vector<std::uint32_t> in(w * h, mark | Pixel(100, 0x0AC81E));
    const std::vector<std::uint32_t> out = SmoothGrid(in, w, h, false);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        const int edges = (x == 0 || x == w - 1) + (y == 0 || y == h - 1);
        const std::uint32_t coverage = edges == 0 ? 100 : (edges == 1 ? 75 : 55);
        EXPECT_EQ(out[y * w + x], Pixel(coverage, 0x0AC81E));  // mark bits cleared
      }
    }
  }
}

TEST(SmoothPixelTest, SinglePixelSpreadsItsColourOneStep) {
  const int w = 5, h = 5;
  std::vector<std::uint32_t> in(w * h, 0u);
  in[2 * w + 2] = Pixel(127, 0xC86432);
  const std::vector<std::uint32_t> out = SmoothGrid(in, w, h, false);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const int dx = x > 2 ? x - 2 : 2 - x, dy = y > 2 ? y - 2 : 2 - y;
      std::uint32_t expected = 0u;
      if (dx == 0 && dy == 0)
        expected = Pixel(25, 0xC86432);
      else if (dx + dy == 1)
        expected = Pixel(19, 0xC86432);
      else if (dx == 1 && dy == 1)
        expected = Pixel(6, 0xC86432);
      EXPECT_EQ(out[y * w + x], expected);
    }
  }
  EXPECT_EQ(SmoothGrid(std::vector<std::uint32_t>(w * h, 0u), w, h, false),
            std::vector<std::uint32_t>(w * h, 0u));
}

struct Case {
  const char* name;
  std::uint32_t n[9];
  bool honourMarks;
  std::uint32_t expected;
};

TEST(SmoothPixelTest, FillPullAndAverage) {
  const Case cases[] = {
      // Centre 127 red, weaker right neighbour blue 27: pulled by 100/127 toward
      // red (157, 0, 42); the empty rest filled blue, then pulled all the way red.
      {"weaker neighbour pulled",
       {Pixel(127, 0xC80000), Pixel(27, 0x0000C8)},
       false,
       Pixel(29, 0xC10006)},
      // Reversed: the stronger neighbour keeps its colour.
      {"stronger neighbour not pulled",
       {Pixel(27, 0x0000C8), Pixel(127, 0xC80000)},
       false,
       Pixel(24, 0x840043)},
      // 4 * 9 + 3 = 39: truncated to 1, not rounded to 2.
      {"weighted sum 39 gives 1",
       {Pixel(9, 0x102030), 0, 0, Pixel(3, 0x102030)},
       false,
       Pixel(1, 0x102030)},
      // A marked neighbour counts as a copy of the centre: (4 + 3) * 100 / 20.
      {"marked neighbour copies the centre",
       {Pixel(100, 0x102030), kMark | Pixel(127, 0xFFFFFF)},
       true,
       Pixel(35, 0x102030)},
      {"marks ignored without honourMarks",
       {Pixel(100, 0x102030), kMark | Pixel(127, 0xFFFFFF)},
       false,
       Pixel(39, 0x54606B)},
      {"all neighbours marked",
       {Pixel(100, 0x102030), kMark, kMark | 1u, kMark | 2u, kMark | 3u, kMark | 4u, kMark | 5u,
        kMark | 6u, kMark | 7u},
       true,
       Pixel(100, 0x102030)},
      // The centre's own mark is not looked at.
      {"marked centre still computed", {kMark | Pixel(100, 0x102030)}, true, Pixel(20, 0x102030)},
      // The fill's running colour may come from a coverage-0 pixel.
      {"coverage-0 colour fills the empties", {0u, 0x00FF00u}, false, Pixel(0, 0x00FF00)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SmoothPixel(c.n, c.honourMarks), c.expected);
  }
}

}  // namespace
}  // namespace qxv
