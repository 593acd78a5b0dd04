#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kernel/neighbourhood.h"

namespace qxv {
namespace {

constexpr std::uint32_t kMark = 0x80000000u;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Rgb {
  std::int32_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb Brighter(float weight, std::int32_t a, Rgb colour, Rgb target) {
  BlendBrighter(weight, a, &colour.r, &colour.g, &colour.b, target.r, target.g, target.b);
  return colour;
}

struct BrighterCase {
  const char* name;
  float weight;
  std::int32_t a;
  Rgb colour, target, expected;
};

TEST(BlendBrighterTest, NeverLowersTheBrightness) {
  const BrighterCase cases[] = {
      // f 63, factor 102.5/128: (180, 19, 19) is darker, so only red rises.
      {"darker result keeps maxima", 5.0f, 127, {100, 100, 100}, {200, 0, 0}, {180, 100, 100}},
      {"brighter result taken whole", 5.0f, 127, {100, 100, 100}, {200, 200, 200}, {180, 180, 180}},
      {"a 0 moves a sixteenth", 5.0f, 0, {100, 100, 100}, {200, 200, 200}, {106, 106, 106}},
      {"factor above 1 clamps", 10.0f, 127, {100, 100, 100}, {200, 200, 200}, {255, 255, 255}},
      // f in extended precision: 3.5 / 10 * 20 is 7 (6.9999998 with a float
      // quotient), 7 / 10 * 90 is 63 (62.99999999999999 in double), and
      // 13 / 10 * 90 is 116.99999999999999999 (117 in double).
      {"f 7, not 6", 3.5f, 20, {100, 100, 100}, {200, 200, 200}, {114, 114, 114}},
      {"f 63, not 62", 7.0f, 90, {100, 100, 100}, {200, 200, 200}, {180, 180, 180}},
      {"f 116, not 117", 13.0f, 90, {100, 100, 100}, {200, 200, 200}, {242, 242, 242}},
      {"toward black changes nothing", 5.0f, 127, {100, 100, 100}, {0, 0, 0}, {100, 100, 100}},
      // f 80: factor exactly 1. Brightness 75 both ways: equal is not
      // brighter, so each channel keeps its maximum.
      {"equal brightness takes maxima", 10.0f, 80, {50, 100, 0}, {0, 125, 0}, {50, 125, 0}},
      // Brighter as a whole while one channel drops.
      {"a brighter result may lower a channel", 10.0f, 80, {200, 0, 0}, {0, 255, 0}, {0, 255, 0}},
      // The blend still starts from colours outside 0..255 and ends inside.
      {"out-of-range colour", 5.0f, 127, {-50, 300, 1000}, {0, 0, 0}, {0, 255, 255}},
  };
  for (const BrighterCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Brighter(c.weight, c.a, c.colour, c.target), c.expected);
  }
}

TEST(BlendBrighterTest, NonFiniteAndExtremeInputsStayInRange) {
  const float weights[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 0.0f, -5.0f};
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t as[] = {0, 1, 127, -127, kMax, kMin};
  const Rgb targets[] = {{0, 0, 0}, {255, 255, 255}, {kMin, kMin, kMin}, {kMax, 0, 7}};
  for (float w : weights) {
    for (std::int32_t a : as) {
      for (const Rgb& t : targets) {
        SCOPED_TRACE(testing::Message() << w << " " << a << " " << t);
        const Rgb out = Brighter(w, a, {10, 128, 250}, t);
        for (std::int32_t v : {out.r, out.g, out.b}) {
          EXPECT_GE(v, 0);
          EXPECT_LE(v, 255);
        }
      }
    }
  }
  // NaN truncates to f = 0: a sixteenth of the way, and only upward here.
  EXPECT_EQ(Brighter(kNaN, 127, {100, 100, 100}, {200, 200, 200}), (Rgb{106, 106, 106}));
}

Rgb Neighbourhood(Rgb colour, std::uint32_t centre, std::uint32_t left = 0, std::uint32_t right = 0,
                  std::uint32_t up = 0, std::uint32_t down = 0, std::uint32_t upperLeft = 0,
                  std::uint32_t upperRight = 0, std::uint32_t lowerLeft = 0,
                  std::uint32_t lowerRight = 0, float mainStrength = 5.0f,
                  float altStrength = 5.0f) {
  BlendNeighbourhood(MakeBlendFactors(mainStrength), MakeBlendFactors(altStrength), &colour.r, &colour.g, &colour.b, centre, left,
                     right, up, down, upperLeft, upperRight, lowerLeft, lowerRight);
  return colour;
}

TEST(BlendNeighbourhoodTest, WorkedExamples) {
  const Rgb grey{100, 100, 100};
  // Smoothed to coverage 25, colour 250: f 12, factor 26/128.
  EXPECT_EQ(Neighbourhood(grey, 0x7FFAFAFAu), (Rgb{130, 130, 130}));
  EXPECT_EQ(Neighbourhood(grey, kMark | 0x7FFAFAFAu), (Rgb{130, 130, 130}));
  // Unmarked red centre (25) through the first blend, marked blue left
  // neighbour (19) through the second.
  EXPECT_EQ(Neighbourhood(grey, 0x7FFA0000u, kMark | 0x7F0000FAu), (Rgb{130, 100, 125}));
  EXPECT_EQ(Neighbourhood(grey, 0u), grey);
}

TEST(BlendNeighbourhoodTest, ArgumentsLandOnTheirPositions) {
  // A lone pixel of coverage 127 counts 3/20 at a direct position and 1/20 at
  // a diagonal one; blended with strength 10, f = coverage: 19 or 6.
  const std::uint32_t p = 0x7FFAFAFAu;
  struct Case {
    const char* name;
    Rgb expected;
    Rgb got;
  };
  const Rgb grey{100, 100, 100};
  const Rgb direct = Neighbourhood(grey, 0, p, 0, 0, 0, 0, 0, 0, 0, 10.0f, 0.0f);
  const Rgb diagonal = Neighbourhood(grey, 0, 0, 0, 0, 0, p, 0, 0, 0, 10.0f, 0.0f);
  EXPECT_NE(direct, diagonal);
  const Case cases[] = {
      {"right", direct, Neighbourhood(grey, 0, 0, p, 0, 0, 0, 0, 0, 0, 10.0f, 0.0f)},
      {"up", direct, Neighbourhood(grey, 0, 0, 0, p, 0, 0, 0, 0, 0, 10.0f, 0.0f)},
      {"down", direct, Neighbourhood(grey, 0, 0, 0, 0, p, 0, 0, 0, 0, 10.0f, 0.0f)},
      {"upper right", diagonal, Neighbourhood(grey, 0, 0, 0, 0, 0, 0, p, 0, 0, 10.0f, 0.0f)},
      {"lower left", diagonal, Neighbourhood(grey, 0, 0, 0, 0, 0, 0, 0, p, 0, 10.0f, 0.0f)},
      {"lower right", diagonal, Neighbourhood(grey, 0, 0, 0, 0, 0, 0, 0, 0, p, 10.0f, 0.0f)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.got, c.expected);
  }
  // factor (1.5 * 19 + 8) / 128 and (1.5 * 6 + 8) / 128 toward 250.
  EXPECT_EQ(direct, (Rgb{142, 142, 142}));
  EXPECT_EQ(diagonal, (Rgb{119, 119, 119}));
}

TEST(BlendNeighbourhoodTest, EachSetBlendsWithItsOwnStrength) {
  const Rgb grey{100, 100, 100};
  // All marked: only the second blend, with altStrength, can act.
  EXPECT_EQ(Neighbourhood(grey, kMark | 0x7FFAFAFAu, 0, 0, 0, 0, 0, 0, 0, 0, 5.0f, 0.0f),
            (Rgb{109, 109, 109}));
  EXPECT_EQ(Neighbourhood(grey, kMark | 0x7FFAFAFAu, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 5.0f),
            (Rgb{130, 130, 130}));
  // All unmarked: the reverse.
  EXPECT_EQ(Neighbourhood(grey, 0x7FFAFAFAu, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 5.0f),
            (Rgb{109, 109, 109}));
}

TEST(BlendNeighbourhoodTest, CoverageZeroPixelsInTheFill) {
  const Rgb black{0, 0, 0};
  // Unmarked: the white coverage-0 centre is the first running colour, keeps
  // it in the fill, and the empties after the black right neighbour turn
  // black: red (4 * 255) / 20 = 51, f 19.
  EXPECT_EQ(Neighbourhood(black, 0x00FFFFFFu, 0, 0x7F000000u, 0, 0, 0, 0, 0, 0, 10.0f, 0.0f),
            (Rgb{14, 14, 14}));
  // On the left instead, the white reaches the right neighbour too.
  EXPECT_EQ(Neighbourhood(black, 0x00FFFFFFu, 0x7F000000u, 0, 0, 0, 0, 0, 0, 0, 10.0f, 0.0f),
            (Rgb{25, 25, 25}));
  // Marked: a coverage-0 pixel never sets the running colour and loses its
  // own to it, so only black remains.
  EXPECT_EQ(Neighbourhood(black, kMark | 0x00FFFFFFu, kMark | 0x7F000000u, 0, 0, 0, 0, 0, 0, 0,
                          0.0f, 10.0f),
            black);
}

// Every pairwise exchange of these nine arguments changes the result.
TEST(BlendNeighbourhoodTest, NineDistinctPositions) {
  EXPECT_EQ(
      Neighbourhood({20, 40, 60}, 0x21BD6AC3u, 0x9006BDF4u, 0xC277FA3Au, 0x78F3E491u, 0xA676BE7Bu,
                    0x6307C150u, 0x2815E871u, 0x00000000u, 0xE3DA9735u, 6.0f, 9.0f),
      (Rgb{60, 109, 102}));
}

TEST(BlendNeighbourhoodTest, ExtremeStrengthsKeepChannelsInRange) {
  const float strengths[] = {kNaN, kInf, -kInf, 1e30f, -1e30f};
  for (float s : strengths) {
    SCOPED_TRACE(s);
    for (std::uint32_t v : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x7F000000u, 0x80FFFFFFu}) {
      const Rgb out =
          Neighbourhood({0, 128, 255}, v, kMark | 0x7F0000FFu, v, 0, v, 0, v, 0, v, s, s);
      for (std::int32_t c : {out.r, out.g, out.b}) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 255);
      }
    }
  }
}

}  // namespace
}  // namespace qxv
