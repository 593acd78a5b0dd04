#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kernel/fade_pixel.h"

namespace qxv {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(FadePixelTest, WhenTheCountsApply) {
  struct Case {
    std::int32_t count, marked;
    bool applies;
  };
  const Case cases[] = {
      {1, 1, false},    {0, 1, false}, {1, 0, false}, {0, 0, false}, {-2, -2, false},
      {kMin, 1, false}, {2, 1, true},  {0, 5, true},  {1, 2, true},  {kMax, kMin, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << ", " << c.marked);
    EXPECT_EQ(FadeCountsApply(c.count, c.marked), c.applies);
  }
}

TEST(FadePixelTest, StepIs128OverTheCount) {
  struct Case {
    std::int32_t count, step;
  };
  const Case cases[] = {{0, 128}, {1, 128},   {2, 64},   {5, 25},   {128, 1},
                        {129, 0}, {-1, -128}, {-2, -64}, {kMax, 0}, {kMin, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(FadeStep(c.count), c.step);
  }
}

struct Case {
  const char* name;
  std::uint32_t before;
  std::int32_t step, markedStep;
  std::uint32_t after;
};

TEST(FadePixelTest, CoverageFallsAndEmptyPixelsClear) {
  const Case cases[] = {
      {"count 2, first call", 0x7F123456u, 64, 64, 0x3F123456u},
      {"count 2, second call", 0x3F123456u, 64, 64, 0u},
      {"count 128 takes one", 0x85ABCDEFu, 1, 1, 0x84ABCDEFu},
      {"count 128 clears coverage 1", 0x81ABCDEFu, 1, 1, 0u},
      {"step 0 keeps coverage", 0x03ABCDEFu, 0, 0, 0x03ABCDEFu},
      {"step 0 clears marked coverage 0", 0x80ABCDEFu, 0, 0, 0u},
      {"step 0 clears coloured coverage 0", 0x00ABCDEFu, 0, 0, 0u},
      {"counts (0, 5): unmarked cleared at once", 0x7F123456u, 128, 25, 0u},
      {"counts (0, 5): marked loses 25", 0xFF123456u, 128, 25, 0xE6123456u},
      {"negative count raises, low 7 bits kept", 0x64123456u, -64, -64, 0x24123456u},
      {"negative count wrapping to 0 clears", 0xC0123456u, -64, -64, 0u},
      {"huge step", 0x7F123456u, kMax, kMax, 0u},
      {"most negative step keeps the low bits", 0x85123456u, kMin, kMin, 0x85123456u},
      {"most negative step on coverage 0", 0x00123456u, kMin, kMin, 0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FadeStreakPixel(c.before, c.step, c.markedStep), c.after);
  }
}

}  // namespace
}  // namespace qxv
