// The secondary layer weighs marked samples by a single-precision factor, and
// the comparison stays in single precision: a product that falls a hair short
// in double precision ties in float, and a tie goes to the new sample.
#include <gtest/gtest.h>

#include <cstdint>

#include "kernel/streak_mix.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

// New, marked: a = 240 gives coverage 120; green 100 has Luma 60, so the
// product is 120 * 60 = 7200. Existing, unmarked: coverage 50 of green 200
// (Luma 120), product 6000.
constexpr std::int32_t kIntensity = 240;
constexpr std::uint32_t kNewColour = 0x006400u;
constexpr std::uint32_t kExisting = 0x3200C800u;

TEST(SecondaryMixSinglePrecision, WeightFiveSixthsIsTheFloatQuotient) {
  // (1 + 4) / (1 + 5) rounded to float: 0x3F555555 = 0.83333331346511840820.
  const float w = WeightMarked(5.0f, 4.0f);
  EXPECT_EQ(w, 5.0f / 6.0f);
  EXPECT_LT(static_cast<double>(w), 5.0 / 6.0);
  // 7200 * w = 5999.99985694885 exactly; the floats around 6000 lie 1/2048
  // apart, so in float it is 6000, in double it stays below.
  EXPECT_EQ(7200.0f * w, 6000.0f);
  EXPECT_LT(7200.0 * static_cast<double>(w), 6000.0);
}

TEST(SecondaryMixSinglePrecision, MarkedSampleTyingInFloatReplacesTheUnmarkedOne) {
  const float w = WeightMarked(5.0f, 4.0f);
  // The tie keeps the new sample with its mark: 0x80000000 | 120 << 24 | green 100.
  // Compared in double, the existing 6000 would win and come back marked:
  // 0xB200C800.
  const std::uint32_t expected = 0xF8006400u;
  // The colour's Luma is 60.
  EXPECT_EQ(MixSecondarySample(kIntensity, kMarkBit, kNewColour, 60, kExisting, w), expected);
}

TEST(SecondaryMixSinglePrecision, OneCoverageStepLessAndTheExistingSampleStays) {
  // a = 238: coverage 119, 119 * 60 * w = 5949.99... < 6000, so the existing
  // sample stays, marked because the new one was: 0x80000000 | 0x3200C800.
  const float w = WeightMarked(5.0f, 4.0f);
  EXPECT_EQ(MixSecondarySample(238, kMarkBit, kNewColour, 60, kExisting, w), 0xB200C800u);
}

}  // namespace
}  // namespace qxv
