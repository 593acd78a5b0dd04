// Luma, the painter's integer brightness, is the truncated double-precision
// sum 0.6 x green + 0.3 x red + 0.1 x blue for every one of the 2^24
// colours, the ones whose exact value is a whole number included (where
// the rounded sum may fall just below it).
#include <gtest/gtest.h>

#include <cstdint>

#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

TEST(LumaTest, EveryColourAsTheFormulaGivesIt) {
  std::uint32_t mismatches = 0;
  for (std::uint32_t colour = 0; colour < (1u << 24); ++colour) {
    const volatile double red = (colour >> 16) & 0xFFu;
    const volatile double green = (colour >> 8) & 0xFFu;
    const volatile double blue = colour & 0xFFu;
    const double sum = 0.6 * green + 0.3 * red + 0.1 * blue;
    if (Luma(colour) != static_cast<std::int32_t>(sum)) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0u);
  // (0, 3, 2): 1.8 + 0.2 is 1.9999999999999998 in double precision.
  EXPECT_EQ(Luma(0x000302u), 1);
  EXPECT_EQ(Luma(0xFFFFFFu), 255);
}

}  // namespace
}  // namespace qxv
