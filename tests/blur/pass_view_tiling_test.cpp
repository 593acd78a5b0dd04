// The host may tile the match views and the alternate selector unlike the
// image: every pixel still reads the values at its own position, so the
// streaks are the same whatever the tilings.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

class PassViewTiling : public ModuleTest {};

struct Tiling {
  std::uint32_t width, height;  // 0: one tile that way
  bool cut = false;             // edge tiles cut to the buffer, memory too
};

struct TilingCase {
  const char* name;
  Tiling image;
  Tiling match1, match2, alternate;
};

// A 30 x 30 image, so 16-pixel tiles at the right and bottom reach past it
// (or, cut, are 14 pixels wide and high).
constexpr std::uint32_t kSide = 30;

const TilingCase kCases[] = {
    {"matches in one tile", {16, 16}, {0, 0}, {0, 0}, {16, 16}},
    {"matches coarser, reaching past the image", {16, 16}, {32, 32}, {32, 32}, {16, 16}},
    {"matches finer", {16, 16}, {8, 8}, {8, 8}, {16, 16}},
    {"one match finer, one coarser", {16, 16}, {8, 8}, {0, 0}, {16, 16}},
    {"alternate in one tile", {16, 16}, {16, 16}, {16, 16}, {0, 0}},
    {"alternate finer", {16, 16}, {16, 16}, {16, 16}, {7, 5}},
    {"every view otherwise", {16, 16}, {7, 5}, {32, 8}, {0, 0}},
    {"views in more tiles than the image", {0, 0}, {16, 16}, {8, 8}, {16, 16}},
    {"rows of tiles against columns", {0, 8}, {8, 0}, {8, 0}, {8, 0}},
    // The image's tile width, another tile height: not in step with the
    // image's tiles, though the first row of tiles lines up.
    {"matches of the image's tile width, taller", {16, 16}, {16, 24}, {16, 24}, {16, 16}},
    // Edge tiles cut to the image, 14 wide and 14 high, memory rows too.
    {"edge tiles cut, every view alike", {16, 16, true}, {16, 16, true}, {16, 16, true},
     {16, 16, true}},
    {"image's edge tiles cut, views in one tile", {16, 16, true}, {0, 0}, {0, 0}, {0, 0}},
    {"image's edge tiles cut, views finer and cut", {16, 16, true}, {8, 8, true}, {7, 5, true},
     {7, 5, true}},
    // The views' tiles pair with the image's, but their edge tiles are cut
    // while the image's reach past it: a right-hand view tile's rows are 14
    // elements long, not 16.
    {"views' edge tiles cut, the image's full-size", {16, 16}, {16, 16, true}, {16, 16, true},
     {16, 16, true}},
    {"one view's edge tiles cut", {16, 16}, {16, 16}, {16, 16, true}, {16, 16}},
};

// Objects in every tile of the image, one in the alternate set, moving
// between the two frames; the last one ends in the bottom-right corner, on
// the last row and column of the image.
void Draw(Frame& f, int frame) {
  const std::int32_t shift = 3 * frame;
  f.DrawRect(2 + shift, 2, 6, 5, 1, 0xE04020);
  f.DrawRect(18 + shift, 3, 5, 6, 2, 0x20E040, 100, 1);
  f.DrawRect(3, 17 + shift, 6, 4, 3, 0x4020E0);
  f.DrawRect(19 + shift, 19 + shift, 8, 8, 4, 0xE0E020, 100, 1);
}

struct Result3 {
  std::vector<std::uint32_t> image, mainLayer, secondaryLayer;
};

TEST_F(PassViewTiling, StreaksAreTheSameWhateverTheViewsTiling) {
  const auto run = [&](const TilingCase& c) {
    Pblur* pblur = NewPblurFromFactory();
    pblur->parameters.trails = 1;  // keep the layers to compare them
    pblur->parameters.trailFrames = 2.0f;
    Result3 out;
    for (int frame = 0; frame < 2; ++frame) {
      sim::BufferSpec spec;
      spec.width = spec.height = kSide;
      spec.tileWidth = c.image.width;
      spec.tileHeight = c.image.height;
      spec.cutEdgeTiles = c.image.cut;
      Frame f(spec, spec);
      f.Clear(0x202020);
      Draw(f, frame);
      f.Retile(kMatch1Buffer, c.match1.width, c.match1.height, c.match1.cut);
      f.Retile(kMatch2Buffer, c.match2.width, c.match2.height, c.match2.cut);
      f.Retile(kAlternateBuffer, c.alternate.width, c.alternate.height, c.alternate.cut);
      const PassOutcome o = RunPass(pblur, nullptr, f, view_);
      EXPECT_TRUE(o.completed);
      EXPECT_EQ(o.result, S_OK);
      out.image = sim::Snapshot(f.image);
    }
    out.mainLayer = sim::Snapshot(pblur->mainStreakLayer);
    out.secondaryLayer = sim::Snapshot(pblur->secondaryStreakLayer);
    pblur->ops->Release(pblur);
    return out;
  };
  for (const TilingCase& c : kCases) {
    SCOPED_TRACE(c.name);
    // The image's tiling, full-size, for every buffer.
    TilingCase alike = c;
    alike.image.cut = false;
    alike.match1 = alike.match2 = alike.alternate = alike.image;
    const Result3 expected = run(alike);
    const Result3 got = run(c);
    // Every object streaks, the last tile's included.
    EXPECT_NE(expected.mainLayer[26 * kSide + 25], 0u);
    EXPECT_EQ(got.image, expected.image);
    EXPECT_EQ(got.mainLayer, expected.mainLayer);
    EXPECT_EQ(got.secondaryLayer, expected.secondaryLayer);
  }
}

}  // namespace
}  // namespace qxv::test
