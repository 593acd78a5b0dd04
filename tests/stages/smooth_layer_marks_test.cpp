// The secondary layer keeps the samples of the alternate set apart: smoothed
// with marks honoured, a marked pixel keeps its exact value and counts, around
// an unmarked one, as a copy of that pixel. Run through the stage itself, on a
// layer buffer and the pass's row scratch.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "stages/smooth_layer.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kMark = 0x80000000u;

constexpr std::uint32_t Pixel(std::uint32_t coverage, std::uint32_t colour) {
  return (coverage << 24) | colour;
}

class SmoothLayerMarks : public ModuleTest {
 protected:
  // Smooths a width x height layer holding `pixels` (row-major) and returns it.
  std::vector<std::uint32_t> Smooth(std::uint32_t width, std::uint32_t height,
                                    const std::vector<std::uint32_t>& pixels, bool honourMarks) {
    sim::BufferSpec spec;
    spec.width = width;
    spec.height = 2;
    pblur_->rowScratch = sim::NewTileBuffer(spec);
    spec.height = height;
    TileBuffer* layer = sim::NewTileBuffer(spec);
    sim::Fill(layer, pixels);
    EXPECT_EQ(SmoothLayer(layer, pblur_->rowScratch, honourMarks), S_OK);
    std::vector<std::uint32_t> out = sim::Snapshot(layer);
    ReleaseInterface(layer);
    ReleaseCachedObjects(pblur_);
    return out;
  }
};

// One row: P, then a marked M, then Q.
constexpr std::uint32_t kP = Pixel(100, 0x102030);
constexpr std::uint32_t kM = kMark | Pixel(90, 0xC0C0C0);
constexpr std::uint32_t kQ = Pixel(60, 0x405060);

TEST_F(SmoothLayerMarks, MarkedCentreKeptAndCountedAsACopyOfEachNeighbour) {
  const std::vector<std::uint32_t> out = Smooth(3, 1, {kP, kM, kQ}, true);
  // P with M as its own copy on the right: (4 * 100 + 3 * 100) / 20 = 35,
  // colour unchanged. M as it was, mark and all. Q: (4 * 60 + 3 * 60) / 20 = 21.
  EXPECT_EQ(out, (std::vector<std::uint32_t>{Pixel(35, 0x102030), kM, Pixel(21, 0x405060)}));
}

TEST_F(SmoothLayerMarks, WithoutHonourTheMarkedCentreIsFilteredAndLosesItsMark) {
  const std::vector<std::uint32_t> out = Smooth(3, 1, {kP, kM, kQ}, false);
  // Centre 90 (192,192,192), right Q 60 (64,80,96), left P 100 (16,32,48).
  // Fill: Q's colour, then P's for the six empty places. Pull by the centre:
  // Q by 30/127 to (94,106,118); P not (100 > 90); the empties by 90/127 to
  // (140,145,150). A = (360 + 3 * 160) / 20 = 42;
  // R = (768 + 3 * (94 + 16 + 140 + 140) + 4 * 140) / 20 = 2498 / 20 = 124,
  // G = (768 + 3 * 428 + 4 * 145) / 20 = 131, B = (768 + 3 * 466 + 4 * 150) / 20 = 138.
  EXPECT_EQ(out[1], Pixel(42, 0x7C838A));
}

TEST_F(SmoothLayerMarks, MarkedPixelAboveOrBelowCountsAsACopyToo) {
  // The row above reaches the filter through the scratch row, the row below
  // straight from the layer: both ways a marked pixel is the centre's copy.
  const std::uint32_t u = Pixel(80, 0x204060);
  struct Case {
    const char* name;
    std::vector<std::uint32_t> column;
    std::vector<std::uint32_t> expected;
  };
  // (4 * 80 + 3 * 80) / 20 = 28; the marked pixel unchanged.
  const Case cases[] = {
      {"marked above", {kM, u}, {kM, Pixel(28, 0x204060)}},
      {"marked below", {u, kM}, {Pixel(28, 0x204060), kM}},
      {"marked last row", {0u, u, kM}, {Pixel(12, 0x204060), Pixel(28, 0x204060), kM}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Smooth(1, static_cast<std::uint32_t>(c.column.size()), c.column, true), c.expected);
  }
}

}  // namespace
}  // namespace qxv::test
