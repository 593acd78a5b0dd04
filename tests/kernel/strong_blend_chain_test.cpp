// Both blends of one composited pixel at strengths whose shares pass 1: a
// grey pixel under a blue streak in the main layer (the darker colour wins
// there) and grey streaks all round in the secondary layer (the brighter
// wins there), as on the checker edges of a grey and blue surface.
#include <gtest/gtest.h>

#include <cstdint>

#include "kernel/composite_pixel.h"
#include "kernel/neighbourhood.h"

namespace qxv {
namespace {

struct Rgb {
  std::int32_t r, g, b;
};

struct ChainCase {
  float strength;
  Rgb composited, blended;
};

TEST(StrongBlendChainTest, EachBlendCarriesTheColourPastItsTarget) {
  constexpr std::uint32_t kGrey = 0xA6A9A5u;                 // 166, 169, 165
  constexpr std::uint32_t kBlue = (52u << 16) | (124u << 8) | 210u;
  constexpr std::uint32_t kFull = 127u << 24;                // coverage 127
  const ChainCase cases[] = {
      // Main share 127/128, neighbourhood factor 102.5/128: both short of
      // their targets.
      {5.0f, {52, 124, 209}, {143, 160, 173}},
      // Main share 152/128 passes the blue; factor 122/128 comes back to grey.
      {6.0f, {30, 115, 218}, {159, 166, 167}},
      // Main share 190/128 stops red at 0; factor 150.5/128 passes the grey,
      // away from the blue: orange.
      {7.5f, {0, 102, 231}, {195, 180, 153}},
      {8.0f, {0, 97, 236}, {206, 186, 147}},
  };
  const BlendFactors none = MakeBlendFactors(0.0f);
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.strength);
    Rgb out{};
    CompositeMainLayer(kGrey, kFull | kBlue, c.strength, &out.r, &out.g, &out.b);
    EXPECT_EQ(out.r, c.composited.r);
    EXPECT_EQ(out.g, c.composited.g);
    EXPECT_EQ(out.b, c.composited.b);
    const std::uint32_t s = kFull | kGrey;
    BlendNeighbourhood(MakeBlendFactors(c.strength), none, &out.r, &out.g, &out.b, s, s, s, s, s,
                       s, s, s, s);
    EXPECT_EQ(out.r, c.blended.r);
    EXPECT_EQ(out.g, c.blended.g);
    EXPECT_EQ(out.b, c.blended.b);
  }
}

}  // namespace
}  // namespace qxv
