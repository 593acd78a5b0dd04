// The pass's output pinned over a table of seeded scenes and parameter sets:
// the image and both streak layers after every frame, as checksums recorded
// from the module. Work that makes the pass faster must leave every one of
// them as it is.
#include <gtest/gtest.h>

#include <functional>
#include <iomanip>

#include "tests/support/feature_scene.h"
#include "tests/support/module_fixture.h"
#include "weight/jitter.h"

namespace qxv::test {
namespace {

// Boxes that move in straight lines, some over the alternate set, each at a
// depth of its own, drawn far to near.
struct MovingBox {
  std::int32_t left, top, w, h, dx, dy;
  std::uint32_t index, colour, depth, alternate;
};

std::uint32_t Next(std::uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

std::vector<MovingBox> SeededBoxes(std::uint32_t seed, std::uint32_t width, std::uint32_t height,
                                   int count) {
  std::uint32_t s = seed;
  std::vector<MovingBox> boxes;
  for (int i = 0; i < count; ++i) {
    MovingBox b;
    b.w = 1 + static_cast<std::int32_t>(Next(&s) % (width < 24 ? width : 24));
    b.h = 1 + static_cast<std::int32_t>(Next(&s) % (height < 18 ? height : 18));
    b.left = static_cast<std::int32_t>(Next(&s) % width) - b.w / 2;
    b.top = static_cast<std::int32_t>(Next(&s) % height) - b.h / 2;
    b.dx = static_cast<std::int32_t>(Next(&s) % 9) - 4;
    b.dy = static_cast<std::int32_t>(Next(&s) % 7) - 3;
    b.index = static_cast<std::uint32_t>(i + 1);
    b.colour = Next(&s) & 0xFFFFFFu;
    b.depth = 100 + Next(&s) % 900;
    b.alternate = Next(&s) % 3 == 0 ? 1u : 0u;
    boxes.push_back(b);
  }
  std::sort(boxes.begin(), boxes.end(),
            [](const MovingBox& a, const MovingBox& b) { return a.depth > b.depth; });
  return boxes;
}

struct ChecksumCase {
  const char* name;
  std::uint32_t width, height, tileWidth, tileHeight;
  int frames, boxes;
  std::uint32_t seed;
  std::function<void(ParameterBlock&)> configure;
  std::uint64_t expected;
};

std::vector<std::uint32_t> LayerOrEmpty(TileBuffer* layer) {
  return layer ? sim::Snapshot(layer) : std::vector<std::uint32_t>{0xDEADu};
}

class PixelChecksums : public ModuleTest {
 protected:
  std::uint64_t Run(const ChecksumCase& c) {
    Pblur* pblur = NewPblurFromFactory();
    c.configure(sim::ParametersOf(pblur));
    sim::ApplyEdits(pblur);
    SetJitterState(1);
    const std::vector<MovingBox> boxes = SeededBoxes(c.seed, c.width, c.height, c.boxes);
    std::vector<std::vector<std::uint32_t>> outputs;
    for (int f = 0; f < c.frames; ++f) {
      Frame frame(c.width, c.height, c.tileWidth, c.tileHeight);
      frame.Clear(0x203040);
      for (const MovingBox& b : boxes) {
        frame.DrawRect(b.left + b.dx * f, b.top + b.dy * f, b.w, b.h, b.index, b.colour, b.depth,
                       b.alternate);
      }
      const PassOutcome o = RunPass(pblur, nullptr, frame, view_);
      EXPECT_TRUE(o.completed);
      EXPECT_EQ(o.result, S_OK) << "frame " << f;
      outputs.push_back(sim::Snapshot(frame.image));
      outputs.push_back(LayerOrEmpty(pblur->mainStreakLayer));
      outputs.push_back(LayerOrEmpty(pblur->secondaryStreakLayer));
    }
    pblur->ops->Release(pblur);
    return Checksum(outputs);
  }
};

TEST_F(PixelChecksums, EveryFrameAndLayerAsRecorded) {
  const auto defaults = [](ParameterBlock&) {};
  const auto trails = [](ParameterBlock& p) {
    p.trails = 1;
    p.trailFrames = 4.0f;
  };
  const ChecksumCase cases[] = {
      {"defaults", 64, 40, 16, 16, 4, 6, 1u, defaults, 0xDE80081FAF204AD9ull},
      {"trails", 64, 40, 16, 16, 5, 6, 2u, trails, 0xF6896B5A434A42E5ull},
      {"trails at full length", 64, 40, 16, 16, 5, 6, 3u,
       [](ParameterBlock& p) {
         p.trails = 1;
         p.trailFrames = 3.0f;
         p.streakLength = 10.0f;
         p.altLength = 10.0f;
       },
       0x096F3B388428E864ull},
      {"echoes and reverse streaks", 64, 40, 16, 16, 4, 6, 4u,
       [](ParameterBlock& p) {
         p.echoCount = 3.0f;
         p.reverseLength = 12.0f;
         p.streakLength = 20.0f;
       },
       0x980BFA495098337Full},
      {"jitter", 64, 40, 16, 16, 4, 6, 5u, [](ParameterBlock& p) { p.jitter = 1; }, 0x09A502881FA110B3ull},
      {"depth test", 64, 40, 16, 16, 4, 8, 6u, [](ParameterBlock& p) { p.depthTest = 1; }, 0x14DB79C5404AE285ull},
      {"alternate set", 64, 40, 16, 16, 4, 8, 7u,
       [](ParameterBlock& p) {
         p.altLength = 20.0f;
         p.altStrength = 8.0f;
         p.mainStrength = 3.0f;
         p.trails = 1;
         p.trailFrames = 2.0f;
       },
       0xB69D32CE224C1ED0ull},
      {"no secondary layer", 64, 40, 16, 16, 4, 6, 8u,
       [](ParameterBlock& p) { p.secondaryLayer = 0; }, 0xD6EA856AA1F7F48Eull},
      {"odd tiles", 61, 37, 7, 5, 4, 6, 9u, trails, 0x3C6F1E2814B35D2Eull},
      {"one tile", 61, 37, 0, 0, 4, 6, 10u, trails, 0x11BE57F21DE5597Dull},
      {"one pixel wide", 1, 40, 16, 16, 4, 3, 11u, trails, 0xFA2131EFA2065386ull},
      {"one pixel", 1, 1, 0, 0, 3, 1, 12u, trails, 0x6D1F168F745D2F08ull},
      {"32000 pixels wide", 32000, 3, 64, 64, 3, 40, 13u, trails, 0xBA769013A2A902E1ull},
      // Rows of image tiles longer than the stretches the composite ORs the
      // secondary layer over (recorded on the code before that change).
      {"one tile wider than a stretch", 600, 24, 0, 0, 4, 10, 14u, trails, 0xC04644B56BB78CA7ull},
      {"tiles wider than a stretch", 700, 30, 300, 16, 4, 10, 15u,
       [](ParameterBlock& p) {
         p.depthTest = 1;
         p.altLength = 20.0f;
       },
       0x28EE01FBE8DD7226ull},
  };
  for (const ChecksumCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint64_t actual = Run(c);
    EXPECT_EQ(actual, c.expected) << "checksum 0x" << std::hex << std::uppercase << std::setw(16)
                                  << std::setfill('0') << actual;
  }
}

}  // namespace
}  // namespace qxv::test
