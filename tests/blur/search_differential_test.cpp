// The indexed search changes nothing: seeded random scenes over several
// frames, every output image, both streak layers and the search state
// bit-identical with the literal scan, also when the host gives no block
// above 4 KB and the index comes in parts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "kernel/float_to_int.h"
#include "sim/memory_ledger.h"
#include "tests/support/module_fixture.h"
#include "tests/support/search_mode.h"
#include "weight/jitter.h"

namespace qxv::test {
namespace {

constexpr int kScenes = 80;
constexpr int kFrames = 4;

// How an object's surface carries its match values from frame to frame.
enum class Values { kSurface, kSubPixel, kRotating, kFlat, kWrapping, kOpposite, kNoise };
constexpr int kValueKinds = 7;

struct ObjectSpec {
  std::uint32_t index;
  std::int32_t x, y, w, h, dx, dy;  // place at frame 0 and motion per frame
  Values values;
  std::uint32_t colour, depth, alternate;
  int absentIn;  // a frame without the object, or -1
  bool disc;
};

struct SceneSpec {
  std::uint32_t width, height, tileWidth, tileHeight, seed;
  std::vector<ObjectSpec> objects;
  ParameterBlock parameters;
};

std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u);
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  return h ^ (h >> 12);
}

void SurfaceValues(const ObjectSpec& o, const SceneSpec& s, int frame, std::int32_t u, std::int32_t v,
            std::uint32_t* m1, std::uint32_t* m2) {
  const std::uint32_t uu = static_cast<std::uint32_t>(u), vv = static_cast<std::uint32_t>(v);
  const std::uint32_t f = static_cast<std::uint32_t>(frame);
  switch (o.values) {
    case Values::kSurface:
      *m1 = uu << 16;
      *m2 = vv << 16;
      return;
    case Values::kSubPixel:  // a fraction of a pixel more every frame: nothing is exact
      *m1 = (uu << 16) + f * 21845u;
      *m2 = (vv << 16) - f * 9000u;
      return;
    case Values::kRotating: {
      const double a = 0.15 * frame, cu = u - o.w / 2.0, cv = v - o.h / 2.0;
      *m1 = static_cast<std::uint32_t>(ToInt32((cu * std::cos(a) + cv * std::sin(a)) * 65536.0));
      *m2 = static_cast<std::uint32_t>(ToInt32((cv * std::cos(a) - cu * std::sin(a)) * 65536.0));
      return;
    }
    case Values::kFlat:  // ties everywhere
      *m1 = 1234u;
      *m2 = (s.seed & 1u) ? 5678u : vv << 16;
      return;
    case Values::kWrapping:  // across 0 and 2^31, spans of more than 2^30
      *m1 = 0xFFFF0000u + (uu << 14) + f * 3u;
      *m2 = 0x7FFF8000u + vv * 0x08000000u;
      return;
    case Values::kOpposite:  // pixels whose both values are opposite a query's
      *m1 = (uu & 1u) << 31 | (f & 1u);
      *m2 = (vv & 1u) << 31 | (uu >> 1 & 1u);
      return;
    case Values::kNoise:
      *m1 = Mix(s.seed, (uu << 8 | vv) + f) & ((s.seed & 2u) ? 0xFu : 0xFFFFFFFFu);
      *m2 = Mix(*m1, s.seed) & 0xF000000Fu;
      return;
  }
}

bool Covers(const ObjectSpec& o, std::int32_t u, std::int32_t v) {
  if (!o.disc) return true;
  const std::int32_t cu = 2 * u + 1 - o.w, cv = 2 * v + 1 - o.h;
  return cu * cu * o.h * o.h + cv * cv * o.w * o.w <= o.w * o.w * o.h * o.h;
}

void Render(const SceneSpec& s, int frame, Frame& out) {
  out.Clear(0x203040);
  for (const ObjectSpec& o : s.objects) {
    if (o.absentIn == frame) continue;
    const std::int32_t left = o.x + o.dx * frame, top = o.y + o.dy * frame;
    for (std::int32_t v = 0; v < o.h; ++v) {
      for (std::int32_t u = 0; u < o.w; ++u) {
        const std::int32_t x = left + u, y = top + v;
        if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(s.width) ||
            y >= static_cast<std::int32_t>(s.height) || !Covers(o, u, v)) {
          continue;
        }
        std::uint32_t m1 = 0, m2 = 0;
        SurfaceValues(o, s, frame, u, v, &m1, &m2);
        sim::WriteElement(out.image, x, y, o.colour ^ Mix(u, v) % 32u);
        sim::WriteElement(out.objectIndex, x, y, o.index);
        sim::WriteElement(out.match1, x, y, m1);
        sim::WriteElement(out.match2, x, y, m2);
        sim::WriteElement(out.depth, x, y, o.depth + static_cast<std::uint32_t>(u));
        sim::WriteElement(out.alternate, x, y, o.alternate);
      }
    }
  }
}

template <typename T>
T Pick(std::mt19937& rng, std::initializer_list<T> choices) {
  return choices.begin()[rng() % choices.size()];
}

SceneSpec MakeScene(std::uint32_t seed) {
  std::mt19937 rng(seed);
  SceneSpec s;
  s.seed = seed;
  s.width = 16 + rng() % 40u;
  s.height = 10 + rng() % 30u;
  s.tileWidth = Pick(rng, {0u, 8u, 16u, 13u});
  s.tileHeight = Pick(rng, {0u, 8u, 16u, 7u});
  const int count = 1 + static_cast<int>(rng() % 5u);
  for (int i = 0; i < count; ++i) {
    ObjectSpec o;
    // Small indices repeat (one object in several pieces); large ones test the index bits.
    o.index = rng() % 3u == 0u ? 1u + rng() % 0x3FFFFFFFu : 1u + rng() % 4u;
    o.w = 2 + static_cast<std::int32_t>(rng() % 18u);
    o.h = 2 + static_cast<std::int32_t>(rng() % 14u);
    o.x = static_cast<std::int32_t>(rng() % s.width) - o.w / 2;
    o.y = static_cast<std::int32_t>(rng() % s.height) - o.h / 2;
    o.dx = static_cast<std::int32_t>(rng() % 9u) - 4;
    o.dy = static_cast<std::int32_t>(rng() % 7u) - 3;
    o.values = static_cast<Values>(rng() % kValueKinds);
    o.colour = rng() & 0xFFFFFFu;
    o.depth = 100u + rng() % 50u;
    o.alternate = rng() % 3u == 0u ? 1u : 0u;
    o.absentIn = rng() % 4u == 0u ? static_cast<int>(rng() % kFrames) : -1;
    o.disc = rng() % 2u == 0u;
    s.objects.push_back(o);
  }
  ParameterBlock& p = s.parameters;
  p = DefaultParameters();
  p.resetPending = 0;
  p.streakLength = Pick(rng, {5.0f, 10.0f, 20.0f, 2.5f});
  p.altLength = Pick(rng, {5.0f, 10.0f});
  p.mainStrength = Pick(rng, {5.0f, 10.0f});
  p.altStrength = Pick(rng, {5.0f, 8.0f});
  p.echoCount = Pick(rng, {1.0f, 2.0f, 4.0f});
  p.jitter = rng() % 3u == 0u;
  p.depthTest = rng() % 2u;
  p.secondaryLayer = rng() % 2u;
  p.reverseLength = Pick(rng, {0.0f, 1.0f, 7.0f});
  // Mostly with trails, so that both layers outlive the pass and can be compared.
  p.trails = rng() % 3u != 0u;
  p.trailFrames = Pick(rng, {0.0f, 3.0f, 3.0f});
  return s;
}

struct Outcome {
  std::vector<std::vector<std::uint32_t>> rendered, images, mainLayers, secondaryLayers;
  std::vector<ObjectBox> boxes;
  std::vector<std::int32_t> lastObjects;
};

std::vector<std::uint32_t> LayerOf(TileBuffer* layer) {
  return layer ? sim::Snapshot(layer) : std::vector<std::uint32_t>();
}

class SearchDifferential : public ModuleTest {
 protected:
  // largestBlock: the largest block the host gives (0: any).
  Outcome Run(const SceneSpec& s, MatchSearch search, std::uint32_t largestBlock = 0) {
    ScopedMatchSearch mode(search);
    SetJitterState(s.seed | 1u);
    Pblur* pblur = NewPblurFromFactory();
    pblur->parameters = s.parameters;
    Outcome out;
    for (int f = 0; f < kFrames; ++f) {
      Frame frame(s.width, s.height, s.tileWidth, s.tileHeight);
      Render(s, f, frame);
      out.rendered.push_back(sim::Snapshot(frame.image));
      sim::SetLargestBlockCap(largestBlock);
      const PassOutcome o = RunPass(pblur, nullptr, frame, view_);
      sim::SetLargestBlockCap(0);
      EXPECT_TRUE(o.completed && o.result == S_OK);
      EXPECT_EQ(pblur->search.matchIndex, nullptr) << "the index outlived its pass";
      out.images.push_back(sim::Snapshot(frame.image));
      out.mainLayers.push_back(LayerOf(pblur->mainStreakLayer));
      out.secondaryLayers.push_back(LayerOf(pblur->secondaryStreakLayer));
      out.boxes.push_back(pblur->search.objectBox);
      out.lastObjects.push_back(pblur->search.lastObject);
    }
    pblur->ops->Release(pblur);
    return out;
  }
};

TEST_F(SearchDifferential, RandomScenesGiveIdenticalImagesLayersAndState) {
  int kept = 0, blurred = 0;
  for (int i = 0; i < kScenes; ++i) {
    const SceneSpec s = MakeScene(0x5EED0000u + static_cast<std::uint32_t>(i));
    SCOPED_TRACE(testing::Message() << "scene seed " << std::hex << s.seed);
    const Outcome literal = Run(s, MatchSearch::kLiteral);
    for (const std::uint32_t largestBlock : {0u, 4096u}) {
      SCOPED_TRACE(testing::Message() << "largest block " << largestBlock);
      const Outcome indexed = Run(s, MatchSearch::kIndexed, largestBlock);
      for (int f = 0; f < kFrames; ++f) {
        SCOPED_TRACE(testing::Message() << "frame " << f);
        ASSERT_EQ(indexed.images[f], literal.images[f]);
        ASSERT_EQ(indexed.mainLayers[f], literal.mainLayers[f]);
        ASSERT_EQ(indexed.secondaryLayers[f], literal.secondaryLayers[f]);
        EXPECT_EQ(indexed.boxes[f].rowMin, literal.boxes[f].rowMin);
        EXPECT_EQ(indexed.boxes[f].rowMax, literal.boxes[f].rowMax);
        EXPECT_EQ(indexed.boxes[f].colMin, literal.boxes[f].colMin);
        EXPECT_EQ(indexed.boxes[f].colMax, literal.boxes[f].colMax);
        EXPECT_EQ(indexed.lastObjects[f], literal.lastObjects[f]);
      }
    }
    for (int f = 0; f < kFrames; ++f) {
      if (!literal.mainLayers[f].empty()) ++kept;
      if (literal.images[f] != literal.rendered[f]) ++blurred;
    }
  }
  // The comparison saw layers, and the scenes blurred something.
  EXPECT_GT(kept, kScenes * kFrames / 3);
  EXPECT_GT(blurred, kScenes * (kFrames - 1) / 2);
}

}  // namespace
}  // namespace qxv::test
