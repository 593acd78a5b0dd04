// The alternate set through whole passes: a one-pixel object whose alternate
// selector is set moves 8 pixels right on row 1 of a black 16 x 3 frame, and
// its streak runs back left. The secondary layer keeps marked samples exactly
// through its smoothing, so the painted coverages are read from it directly.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kMark = 0x80000000u;

class AlternateSet : public ModuleTest {
 protected:
  // Runs frames 1 and 2; returns the composited second image.
  std::vector<std::uint32_t> Run(const ParameterBlock& p) {
    pblur_->parameters = p;
    Frame first(16, 3), second(16, 3);
    for (Frame* f : {&first, &second}) f->Clear(0x000000);
    first.DrawRect(3, 1, 1, 1, 1, kWhite, 100, 1);
    second.DrawRect(11, 1, 1, 1, 1, kWhite, 100, 1);
    EXPECT_EQ(RunPass(pblur_, nullptr, first, view_).result, S_OK);
    EXPECT_EQ(RunPass(pblur_, nullptr, second, view_).result, S_OK);
    return sim::Snapshot(second.image);
  }
  // Coverages of row 1 of the secondary layer, x = 11 down to 0; every other
  // pixel of the layer must be empty.
  void ExpectRow(const std::vector<std::uint32_t>& coverages) {
    ASSERT_NE(pblur_->secondaryStreakLayer, nullptr);
    for (std::uint32_t y = 0; y < 3; ++y) {
      for (std::uint32_t x = 0; x < 16; ++x) {
        std::uint32_t expected = 0;
        const std::size_t i = 11 - x;
        if (y == 1 && x <= 11 && i < coverages.size() && coverages[i] != 0) {
          expected = kMark | (coverages[i] << 24) | kWhite;
        }
        EXPECT_EQ(sim::ReadElement(pblur_->secondaryStreakLayer, x, y), expected)
            << "x " << x << " y " << y;
      }
    }
  }
  static ParameterBlock Base() {
    ParameterBlock p = {};
    p.secondaryLayer = 1;
    p.mainStrength = 5.0f;
    p.altStrength = 5.0f;
    p.echoCount = 1.0f;
    p.reverseLength = 0.0f;  // no second streak, which mode "all" would give
    p.trailFrames = 4.0f;    // trails off: only the secondary layer survives
    p.mode = 2;
    return p;
  }
};

TEST_F(AlternateSet, LengthFloorAndMarkComeFromTheAlternateParameters) {
  struct Case {
    const char* name;
    float streakLength, altLength;
    std::uint8_t trails;
    std::vector<std::uint32_t> coverages;
  };
  const Case cases[] = {
      // altLength 10 with trailFrames 4: floor 256 - 64 = 192, 8 steps of
      // 63/8 = 7.875: 255, 247.125, ..., 199.875 halved to these.
      {"floor from trailFrames", 5.0f, 10.0f, 0, {127, 123, 119, 115, 111, 107, 103, 99}},
      // altLength 20: end 16 pixels away, floor 0, steps of 255/16; the frame
      // border stops the walk after x = 0.
      {"own length", 5.0f, 20.0f, 0,
       {127, 119, 111, 103, 95, 87, 79, 71, 63, 55, 47, 39}},
      // streakLength 10 with trails on would give the main set a floor; the
      // alternate set has length 5: end 4 pixels away, steps of 63.75.
      {"main length and floor not used", 10.0f, 5.0f, 1, {127, 95, 63, 31}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ParameterBlock p = Base();
    p.streakLength = c.streakLength;
    p.altLength = c.altLength;
    p.trails = c.trails;
    Run(p);
    ExpectRow(c.coverages);
    ReleaseCachedObjects(pblur_);
  }
}

TEST_F(AlternateSet, CompositedWithAltStrength) {
  // mainStrength 0: the main layer and the unmarked half of the blend leave
  // black as it is, so only altStrength can light the pixels. The marked
  // neighbourhoods (coverages 127, 123, ..., 99 from x = 11 to 4) smooth to
  // white with coverage 61 at (10,1), 35 at (4,1), 14 at (3,1) and 30 at
  // (10,0). Blend of black toward white: 255/128 * (1.5 f + 8), with
  // f = altStrength / 10 * coverage.
  struct Case {
    float altStrength;
    std::uint32_t at10, at4, at3, above10;
  };
  const Case cases[] = {
      // f = 30, 17, 7, 15: 105.6, 66.7, 36.9, 60.8.
      {5.0f, 0x696969, 0x424242, 0x242424, 0x3C3C3C},
      // f = 61, 35, 14, 30: 198.2, 120.5, 57.8, 105.6.
      {10.0f, 0xC6C6C6, 0x787878, 0x393939, 0x696969},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.altStrength);
    ParameterBlock p = Base();
    p.mainStrength = 0.0f;
    p.altStrength = c.altStrength;
    p.streakLength = 5.0f;
    p.altLength = 10.0f;
    const std::vector<std::uint32_t> image = Run(p);
    EXPECT_EQ(image[16 + 10], c.at10);
    EXPECT_EQ(image[16 + 4], c.at4);
    EXPECT_EQ(image[16 + 3], c.at3);
    EXPECT_EQ(image[10], c.above10);
    EXPECT_EQ(image[16 + 2], 0u) << "two pixels past the streak";
    ReleaseCachedObjects(pblur_);
  }
}

}  // namespace
}  // namespace qxv::test
