#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kernel/streak_mix.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(StreakPixelTest, FieldsEmptinessAndLuma) {
  EXPECT_EQ(Coverage(0xFF123456u), 127u);
  EXPECT_EQ(Coverage(0x80FFFFFFu), 0u);
  EXPECT_EQ(Coverage(0x2A000000u), 42u);
  EXPECT_TRUE(IsEmptyStreakPixel(0u));
  EXPECT_TRUE(IsEmptyStreakPixel(kMarkBit));
  EXPECT_FALSE(IsEmptyStreakPixel(0x00000001u));
  EXPECT_FALSE(IsEmptyStreakPixel(0x81000000u));

  struct Case {
    std::uint32_t colour;
    std::int32_t luma;
  };
  const Case cases[] = {
      {0xFFFFFFu, 255},   {0x000000u, 0},   {0xC86432u, 125}, {0x00D600u, 128}, {0x0000FFu, 25},
      {0xFF0000u, 76},    {0x00FF00u, 153}, {0x808080u, 127},  // 127.99999999999999 in double:
                                                               // truncated, not rounded
      {0x010101u, 0},                                          // 0.9999999999999999
      {0xFFC86432u, 125},                                      // bits 24-31 are not colour
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.colour);
    EXPECT_EQ(Luma(c.colour), c.luma);
  }
}

struct MainCase {
  const char* name;
  std::int32_t a;
  std::uint32_t colour, existing;
  bool outline;
  std::uint32_t expected;
};

TEST(MixMainSampleTest, Table) {
  const MainCase cases[] = {
      // The sample itself: half the low byte of a, colour bits 0-23 only.
      {"a 255 on empty", 255, 0xAB123456u, 0u, false, 0x7F123456u},
      {"a 254 same coverage", 254, 0x123456u, 0u, false, 0x7F123456u},
      {"a 128", 128, 0x123456u, 0u, false, 0x40123456u},
      {"a 1 rounds to coverage 0", 1, 0x123456u, 0u, false, 0x00123456u},
      {"a 256 wraps to 0", 256, 0x123456u, 0u, false, 0x00123456u},
      {"a -1 is low byte 0xFF", -1, 0x123456u, 0u, false, 0x7F123456u},
      {"a -2 is low byte 0xFE", -2, 0x123456u, 0u, false, 0x7F123456u},
      {"a INT32_MIN", std::numeric_limits<std::int32_t>::min(), 0x123456u, 0u, false, 0x00123456u},
      {"a INT32_MAX", std::numeric_limits<std::int32_t>::max(), 0x123456u, 0u, false, 0x7F123456u},
      // Empty or marked: always replaced; an outline sample is marked.
      {"mark bit alone is empty", 255, 0x010203u, kMarkBit, false, 0x7F010203u},
      {"outline on empty is marked", 255, 0x010203u, 0u, true, 0xFF010203u},
      {"marked black replaced by white", 255, 0xFFFFFFu, 0xFF000000u, false, 0x7FFFFFFFu},
      {"marked replaced by outline", 2, 0xFFFFFFu, 0xFF000000u, true, 0x81FFFFFFu},
      // Outline never replaces an unmarked non-empty value.
      {"outline keeps unmarked", 255, 0x000000u, 0x01FFFFFFu, true, 0x01FFFFFFu},
      {"outline keeps coverage-0 colour", 255, 0x000000u, 0x00000001u, true, 0x00000001u},
      // Darker and denser wins; ties go to the new sample.
      {"black replaces white", 254, 0x000000u, 0x7FFFFFFFu, false, 0x7F000000u},
      {"white does not replace black", 254, 0xFFFFFFu, 0x7F000000u, false, 0x7F000000u},
      {"tie 256*63 == 128*126 takes new", 252, 0x00D600u, 0x3F000000u, false, 0x7E00D600u},
      {"existing one product larger stays", 252, 0x00D600u, 0x40000000u, false, 0x40000000u},
      {"denser same colour replaces", 200, 0x101010u, 0x10101010u, false, 0x64101010u},
      {"weaker same colour loses", 20, 0x101010u, 0x64101010u, false, 0x64101010u},
      {"coverage-0 colour is not empty", 0, 0x123456u, 0x00000001u, false, 0x00123456u},
  };
  for (const MainCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MixMainSample(c.a, c.colour, Luma(c.colour), c.existing, c.outline), c.expected);
  }
}

TEST(WeightMarkedTest, SinglePrecisionQuotient) {
  EXPECT_EQ(WeightMarked(5.0f, 5.0f), 1.0f);
  EXPECT_EQ(WeightMarked(5.0f, 11.0f), 2.0f);
  EXPECT_EQ(WeightMarked(0.0f, 0.1f), 1.0f + 0.1f);
  EXPECT_EQ(WeightMarked(2.0f, 0.0f), 1.0f / 3.0f);
  EXPECT_EQ(WeightMarked(-1.0f, 1.0f), kInf);
  EXPECT_EQ(WeightMarked(-1.0f, -3.0f), -kInf);
  EXPECT_NE(WeightMarked(-1.0f, -1.0f), WeightMarked(-1.0f, -1.0f));  // NaN
  EXPECT_NE(WeightMarked(kNaN, 1.0f), WeightMarked(kNaN, 1.0f));
  EXPECT_EQ(WeightMarked(kInf, 1.0f), 0.0f);
}

struct SecondaryCase {
  const char* name;
  std::int32_t a;
  std::uint32_t mark, colour, existing;
  float weight;
  std::uint32_t expected;
};

TEST(MixSecondarySampleTest, Table) {
  const SecondaryCase cases[] = {
      {"empty takes new", 255, 0u, 0x123456u, 0u, 1.0f, 0x7F123456u},
      {"empty takes new, marked", 255, kMarkBit, 0x123456u, 0u, 1.0f, 0xFF123456u},
      {"mark bit alone is empty", 255, 0u, 0x123456u, kMarkBit, 1.0f, 0x7F123456u},
      // Unmarked against unmarked: brighter and denser wins, ties go to new.
      {"white replaces black", 254, 0u, 0xFFFFFFu, 0x7F000000u, 1.0f, 0x7FFFFFFFu},
      {"black does not replace white", 254, 0u, 0x000000u, 0x7FFFFFFFu, 1.0f, 0x7FFFFFFFu},
      {"tie 2*128 == 4*64 takes new", 8, 0u, 0x006B00u, 0x0200D600u, 1.0f, 0x04006B00u},
      {"existing 3*128 beats 4*64", 8, 0u, 0x006B00u, 0x0300D600u, 1.0f, 0x0300D600u},
      // Marked existing against an unmarked sample: kept, or brightened.
      {"marked brightened channel-wise", 254, 0u, 0x64DC14u, 0x8AC80A32u, 1.0f, 0x8AC8DC32u},
      {"marked kept when weighted up", 254, 0u, 0x64DC14u, 0x8AC80A32u, 100.0f, 0x8AC80A32u},
      {"marked kept on a tie, not brightened", 8, 0u, 0xD60000u, 0x8200D600u, 1.0f, 0x8200D600u},
      {"marked kept on NaN weight", 254, 0u, 0x64DC14u, 0x8AC80A32u, kNaN, 0x8AC80A32u},
      // Marked samples.
      {"marked sample marks the kept value", 254, kMarkBit, 0x000000u, 0x7FFFFFFFu, 1.0f,
       0xFFFFFFFFu},
      // 127*125*2 = 31750 against 127*255 = 32385, then 47625 against it.
      {"marked sample weighted 2 loses", 254, kMarkBit, 0xC86432u, 0x7FFFFFFFu, 2.0f, 0xFFFFFFFFu},
      {"marked sample weighted 3 wins", 254, kMarkBit, 0xC86432u, 0x7FFFFFFFu, 3.0f, 0xFFC86432u},
      {"marked tie goes to new", 8, kMarkBit, 0x006B00u, 0x8200D600u, 1.0f, 0x84006B00u},
      {"marked over marked, existing brighter", 8, kMarkBit, 0x006B00u, 0x8300D600u, 3.0f,
       0x8300D600u},
      {"marked sample NaN weight takes new", 8, kMarkBit, 0x006B00u, 0x7FFFFFFFu, kNaN,
       0x84006B00u},
      {"both marked NaN weight takes new", 8, kMarkBit, 0x006B00u, 0xFFFFFFFFu, kNaN, 0x84006B00u},
      {"marked sample zero weight loses", 254, kMarkBit, 0xFFFFFFu, 0x010A0A0Au, 0.0f, 0x810A0A0Au},
      {"marked sample infinite weight wins", 2, kMarkBit, 0x0A0A0Au, 0x7FFFFFFFu, kInf,
       0x810A0A0Au},
  };
  for (const SecondaryCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MixSecondarySample(c.a, c.mark, c.colour, Luma(c.colour), c.existing, c.weight),
              c.expected);
  }
}

}  // namespace
}  // namespace qxv
