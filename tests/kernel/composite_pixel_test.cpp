#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kernel/composite_pixel.h"

namespace qxv {
namespace {

struct Case {
  const char* name;
  std::uint32_t pixel, layer;
  float strength;
  std::uint32_t expected;
};

TEST(CompositeMainLayerTest, BlendsByCoverageAndStrength) {
  const Case cases[] = {
      {"coverage 0 keeps the colour, clears bits 24-31", 0xAB102030u, 0x80FFFFFFu, 5.0f, 0x102030u},
      {"coverage 64 at strength 10 takes the layer", 0x102030u, 0x40C8A064u, 10.0f, 0xC8A064u},
      // k 127: 100 + 100 / 128 * 127 = 199.2.
      {"default strength, coverage 127", 0x640000u, 0x7FC80000u, 5.0f, 0xC70000u},
      // k 508 overshoots both ways.
      {"strength 20 clamps at 255", 0x640000u, 0x7FC80000u, 20.0f, 0xFF0000u},
      {"strength 20 clamps at 0", 0x640000u, 0x7F320000u, 20.0f, 0x000000u},
      {"mark bit is not coverage", 0x102030u, 0x80C8A064u, 10.0f, 0x102030u},
      {"channels independent", 0x00FF80u, 0x7FFF0080u, 5.0f, 0xFD0180u},
      {"negative strength moves away", 0x808080u, 0x7FFFFFFFu, -5.0f, 0x010101u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t r = -1, g = -1, b = -1;
    EXPECT_EQ(CompositeMainLayer(c.pixel, c.layer, c.strength, &r, &g, &b), c.expected);
    EXPECT_EQ(r, static_cast<std::int32_t>(c.expected >> 16));
    EXPECT_EQ(g, static_cast<std::int32_t>((c.expected >> 8) & 0xFF));
    EXPECT_EQ(b, static_cast<std::int32_t>(c.expected & 0xFF));
  }
}

TEST(CompositeMainLayerTest, NonFiniteStrengthsStayInRange) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float strengths[] = {nan, inf, -inf, 1e30f, -1e30f, std::numeric_limits<float>::max()};
  for (float s : strengths) {
    for (std::uint32_t layer : {0u, 0x7F000000u, 0xFFFFFFFFu, 0x01804020u}) {
      SCOPED_TRACE(testing::Message() << s << " " << std::hex << layer);
      std::int32_t r, g, b;
      const std::uint32_t out = CompositeMainLayer(0xFF804020u, layer, s, &r, &g, &b);
      EXPECT_EQ(out >> 24, 0u);
      for (std::int32_t v : {r, g, b}) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 255);
      }
    }
  }
  // NaN gives k 0: the pixel's colour unchanged.
  std::int32_t r, g, b;
  EXPECT_EQ(CompositeMainLayer(0x804020u, 0x7FFFFFFFu, nan, &r, &g, &b), 0x804020u);
}

}  // namespace
}  // namespace qxv
