// Streaks along the last row and the last column of the frame, through the
// smoothing and the composite. A one-pixel object in the corner has moved 4
// pixels along the border; its streak (streakLength 10: coverages 127, 95,
// 63, 31 from the corner inwards) is smoothed with the missing row or column
// beyond the border counted as empty, then laid over black at strength 10.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kColour = 0xFF8040;  // (255, 128, 64)

class FrameEdge : public ModuleTest {};

// Along the border, from the corner inwards (distance 1 to 4), then the line
// beside it (distance 0 to 4). Smoothed coverages along the border: 47, 31,
// 15, 4; beside it: 23, 23, 15, 7, 1 (e.g. (3 * 127 + 95) / 20 = 23). Over
// black with k = 2 * coverage: red 255 k / 128, green k, blue k / 2.
constexpr std::uint32_t kAlong[4] = {0xBB5E2F, 0x7B3E1F, 0x3B1E0F, 0x0F0804};
constexpr std::uint32_t kBeside[5] = {0x5B2E17, 0x5B2E17, 0x3B1E0F, 0x1B0E07, 0x030201};

TEST_F(FrameEdge, StreaksOnTheLastRowAndTheLastColumn) {
  struct Case {
    const char* name;
    bool column;  // along the last column instead of the last row
    std::uint32_t tileWidth, tileHeight;
  };
  const Case cases[] = {
      {"last row", false, 0, 0},
      {"last column", true, 0, 0},
      {"last row, tiles reaching past the image", false, 5, 2},
      {"last column, tiles reaching past the image", true, 2, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The border runs along u; v = 0 is the border line, v = 1 the one beside.
    const std::uint32_t w = c.column ? 3 : 8, h = c.column ? 8 : 3;
    auto at = [&](std::uint32_t u, std::uint32_t v) {
      return c.column ? std::pair<std::uint32_t, std::uint32_t>{2 - v, u}
                      : std::pair<std::uint32_t, std::uint32_t>{u, 2 - v};
    };
    Pblur* pblur = NewPblurFromFactory();
    ParameterBlock& p = pblur->parameters;
    p.secondaryLayer = 0;
    p.mainStrength = 10.0f;
    p.streakLength = 10.0f;
    p.reverseLength = 0.0f;
    Frame first(w, h, c.tileWidth, c.tileHeight), second(w, h, c.tileWidth, c.tileHeight);
    first.Clear(0);
    second.Clear(0);
    const auto from = at(3, 0), to = at(7, 0);
    first.DrawRect(static_cast<std::int32_t>(from.first), static_cast<std::int32_t>(from.second),
                   1, 1, 1, kColour);
    second.DrawRect(static_cast<std::int32_t>(to.first), static_cast<std::int32_t>(to.second), 1,
                    1, 1, kColour);
    ASSERT_EQ(RunPass(pblur, nullptr, first, view_).result, S_OK);
    ASSERT_EQ(RunPass(pblur, nullptr, second, view_).result, S_OK);
    std::uint32_t expected[8][3] = {};  // [u][v]
    expected[7][0] = kColour;           // the object itself keeps its colour
    for (int d = 1; d <= 4; ++d) expected[7 - d][0] = kAlong[d - 1];
    for (int d = 0; d <= 4; ++d) expected[7 - d][1] = kBeside[d];
    for (std::uint32_t u = 0; u < 8; ++u) {
      for (std::uint32_t v = 0; v < 3; ++v) {
        const auto xy = at(u, v);
        EXPECT_EQ(second.Pixel(xy.first, xy.second), expected[u][v])
            << "x " << xy.first << " y " << xy.second;
      }
    }
    pblur->ops->Release(pblur);
  }
}

}  // namespace
}  // namespace qxv::test
