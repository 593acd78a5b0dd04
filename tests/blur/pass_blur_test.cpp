// The blur end to end: pixels worked out by hand for a one-pixel object
// moving four pixels right per frame over a grey background.
#include <gtest/gtest.h>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kGrey = 0x202020;
constexpr std::uint32_t kRed = 0xFF0000;

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (r << 16) | (g << 8) | b;
}

class BlurEndToEnd : public ModuleTest {
 protected:
  // Frame n shows the object at x = 4n, y = 2; returns the blurred image.
  std::vector<std::uint32_t> Frame(int n, Pblur* pblur) {
    test::Frame frame(20, 6);
    frame.Clear(kGrey);
    frame.DrawRect(4 * n, 2, 1, 1, 1, kRed);
    EXPECT_EQ(RunPass(pblur, nullptr, frame, view_).result, S_OK);
    return sim::Snapshot(frame.image);
  }
  static std::uint32_t At(const std::vector<std::uint32_t>& image, int x, int y) {
    return image[static_cast<std::size_t>(y) * 20 + x];
  }
};

TEST_F(BlurEndToEnd, DefaultsLeaveAShortStreakBehindTheObject) {
  const auto first = Frame(1, pblur_);
  for (std::uint32_t v : first) EXPECT_TRUE(v == kGrey || v == kRed);
  const auto second = Frame(2, pblur_);
  // The walk runs from (8,2) towards the old place: coverages 127 and 63,
  // smoothed to 34, 31, 9 along the row and 15 above, then laid over grey
  // with strength 5.
  EXPECT_EQ(At(second, 8, 2), kRed);
  EXPECT_EQ(At(second, 7, 2), Rgb(86, 24, 24));
  EXPECT_EQ(At(second, 6, 2), Rgb(47, 29, 29));
  EXPECT_EQ(At(second, 9, 2), Rgb(65, 27, 27));
  EXPECT_EQ(At(second, 7, 1), Rgb(58, 28, 28));
  EXPECT_EQ(At(second, 4, 2), kGrey) << "the old place is beyond the streak";
  EXPECT_EQ(At(second, 15, 5), kGrey);
}

TEST_F(BlurEndToEnd, TrailsKeepWhatTheLastFramePaintedFaded) {
  for (bool trails : {false, true}) {
    SCOPED_TRACE(trails ? "trails on" : "trails off");
    Pblur* pblur = NewPblurFromFactory();
    ParameterBlock& p = pblur->parameters;
    p.streakLength = 10.0f;
    p.trails = trails;
    p.trailFrames = 4.0f;
    Frame(1, pblur);
    const auto second = Frame(2, pblur);
    // Full length with a floor of 192 when trails are on: 127, 119, 111,
    // 103 towards the old place, smoothed to 55 at x = 6.
    if (trails) {
      EXPECT_EQ(At(second, 6, 2), Rgb(127, 18, 18));
    }
    const auto third = Frame(3, pblur);
    if (trails) {
      // Faded by 32 per frame and smoothed again: 4, 9, 10 and 21.
      EXPECT_EQ(At(third, 6, 2), Rgb(47, 29, 29));
      EXPECT_EQ(At(third, 7, 2), Rgb(49, 29, 29));
      EXPECT_EQ(At(third, 8, 2), Rgb(68, 26, 26));
      EXPECT_EQ(At(third, 5, 2), Rgb(38, 31, 31)) << "coverage 5 and 23 beside it";
    } else {
      EXPECT_EQ(At(third, 6, 2), kGrey);
      EXPECT_EQ(At(third, 7, 2), kGrey);
    }
    pblur->ops->Release(pblur);
  }
}

}  // namespace
}  // namespace qxv::test
