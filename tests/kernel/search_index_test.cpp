// The match index against the literal scan it stands in for: the same pixel
// and the same object box for every query, ties and wrapping included, in
// one block or in blocks so small that every object is split into parts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <random>
#include <vector>

#include "kernel/match_grid.h"
#include "kernel/match_index.h"
#include "kernel/match_scan.h"
#include "tests/support/object_box_print.h"

namespace qxv {
namespace {

struct Plain {
  std::int32_t width, height;
  std::vector<std::uint32_t> tags, m1, m2;
  Plain(std::int32_t w, std::int32_t h)
      : width(w), height(h), tags(w * h, 0u), m1(w * h, 0u), m2(w * h, 0u) {}
  void Put(std::int32_t x, std::int32_t y, std::uint32_t tag, std::uint32_t v1, std::uint32_t v2) {
    tags[y * width + x] = tag;
    m1[y * width + x] = v1;
    m2[y * width + x] = v2;
  }
  ReferenceFrame View() const {
    return ReferenceFrame{tags.data(), m1.data(), m2.data(), width, height};
  }
};

void CountPoll(void* context) { ++*static_cast<int*>(context); }

// Blocks of the test's own memory, as a host gives them: each one tracked,
// and those above refuseAbove (0: none) refused.
struct TestBlocks {
  std::map<void*, std::uint32_t> live;
  std::uint32_t refuseAbove = 0;
  std::uint32_t largest = 0;
  int given = 0;

  static void* Allocate(void* context, std::uint32_t bytes) {
    TestBlocks* b = static_cast<TestBlocks*>(context);
    if (b->refuseAbove != 0u && bytes > b->refuseAbove) return nullptr;
    void* block = std::malloc(bytes);
    b->live[block] = bytes;
    if (bytes > b->largest) b->largest = bytes;
    ++b->given;
    return block;
  }
  static void Free(void* context, void* block) {
    EXPECT_EQ(static_cast<TestBlocks*>(context)->live.erase(block), 1u);
    std::free(block);
  }
  BlockSource Source() { return BlockSource{Allocate, Free, this}; }
};

// What the module asks of a 32-bit host at most; a test's index of a few
// thousand pixels fits in one such block.
constexpr std::uint32_t kOneBlock = 16u << 20;

// An index built from the test's blocks, none asked for above largestBlock.
struct Built {
  TestBlocks blocks;
  MatchIndex* index = nullptr;
  int polls = 0;
  explicit Built(const Plain& p, std::uint32_t largestBlock = kOneBlock,
                 std::uint32_t refuseAbove = 0) {
    blocks.refuseAbove = refuseAbove;
    WorkMeter meter = {0u, CountPoll, &polls};
    const IndexPlan plan = PlanMatchIndex(p.View(), &meter);
    EXPECT_TRUE(plan.usable);
    MatchIndex* holder = nullptr;
    index = BuildMatchIndex(plan, p.View(), meter, blocks.Source(), largestBlock, &holder);
    EXPECT_EQ(holder, index);
  }
  ~Built() {
    ReleaseIndexBlocks(index, blocks.Source());
    EXPECT_TRUE(blocks.live.empty()) << "blocks left behind";
  }
  // How many parts the objects were split into, in all.
  int Parts() const {
    int parts = 0;
    for (std::uint32_t i = 0; i < index->objectCount; ++i) {
      for (const IndexPart* part = index->objects[i].parts; part; part = part->next) ++parts;
    }
    return parts;
  }
};

struct Answer {
  MatchCandidate hit;
  ObjectBox box;
};

Answer ByScan(const Plain& p, std::uint32_t object, std::uint32_t q1, std::uint32_t q2) {
  Answer a{{}, kNoBox};
  a.hit = ScanForMatch(p.tags.data(), p.m1.data(), p.m2.data(), p.width, 0, p.height - 1, 0,
                       p.width - 1, object, q1, q2, false, &a.box, nullptr, nullptr);
  return a;
}

Answer ByIndex(Built& b, std::uint32_t object, std::uint32_t q1, std::uint32_t q2) {
  IndexedObject* o = FindIndexedObject(b.index, object);
  if (!o) return Answer{{false, 0, 0}, kNoBox};
  return Answer{NearestOfObject(b.index, o, q1, q2), o->box};
}

void ExpectSame(const Answer& scan, const Answer& indexed) {
  EXPECT_EQ(indexed.hit.found, scan.hit.found);
  EXPECT_EQ(indexed.hit.x, scan.hit.x);
  EXPECT_EQ(indexed.hit.y, scan.hit.y);
  EXPECT_EQ(indexed.box, scan.box);
}

struct Pixel {
  std::int32_t x, y;
  std::uint32_t tag, v1, v2;
};

TEST(MatchIndexTest, TableCasesGiveTheScansPixel) {
  constexpr std::uint32_t kHalf = 0x80000000u;
  struct Case {
    const char* name;
    std::vector<Pixel> pixels;
    std::uint32_t q1, q2;
    bool found;
    std::int32_t x, y;
  };
  const Case cases[] = {
      {"equal distances: the earlier in row-major order",
       {{4, 2, 7u, 12u, 10u}, {1, 3, 7u, 10u, 12u}, {3, 1, 7u, 11u, 11u}}, 10u, 10u, true, 3, 1},
      {"the only pixel, in the last row and column", {{5, 3, 7u, 1u, 1u}}, 900u, 900u, true, 5, 3},
      {"tag bits 30 and 31 are not the index",
       {{0, 0, 0xC0000007u, 50u, 50u}, {2, 0, 7u, 40u, 40u}}, 50u, 50u, true, 0, 0},
      {"another object's exact pixel does not count",
       {{0, 0, 8u, 5u, 5u}, {2, 2, 7u, 9u, 9u}}, 5u, 5u, true, 2, 2},
      {"differences wrap: 0xFFFFFFFE is 2 from 0, 1 is 1",
       {{0, 0, 7u, 0xFFFFFFFEu, 0u}, {1, 0, 7u, 1u, 0u}}, 0u, 0u, true, 1, 0},
      {"across 2^31 the other way round is shorter",
       {{0, 0, 7u, 0x7FFFFFF0u, 5u}, {1, 0, 7u, 0x80000020u, 5u}}, 0x80000001u, 5u, true, 0, 0},
      {"the unsigned sum 0x7FFFFFFF + 0x80000000 is the largest there is",
       {{0, 0, 7u, 0x7FFFFFFFu, kHalf}, {3, 3, 7u, 5u, 5u}}, 0u, 0u, true, 3, 3},
      {"both deltas 2^31 sum to 0: beats a pixel 1 away",
       {{0, 1, 7u, 11u, 10u}, {4, 2, 7u, 10u + kHalf, 10u + kHalf}}, 10u, 10u, true, 4, 2},
      {"both deltas 2^31 tie with an exact match: the earlier wins",
       {{0, 1, 7u, 10u + kHalf, 10u + kHalf}, {4, 2, 7u, 10u, 10u}}, 10u, 10u, true, 0, 1},
      {"an exact match before the opposite pixel wins",
       {{0, 1, 7u, 10u, 10u}, {4, 2, 7u, 10u + kHalf, 10u + kHalf}}, 10u, 10u, true, 0, 1},
      {"one delta of 2^31 is just far",
       {{0, 0, 7u, 10u + kHalf, 10u}, {5, 3, 7u, 1000u, 1000u}}, 10u, 10u, true, 5, 3},
      {"an object with no pixel in the frame", {{1, 1, 8u, 0u, 0u}}, 0u, 0u, false, 0, 0},
      {"small signed values straddling 0 on both axes: the nearest across 0",
       {{0, 0, 7u, 0xFFFFFFF0u, 0xFFFFFFFCu}, {2, 1, 7u, 3u, 0xFFFFFFFFu}, {5, 3, 7u, 20u, 4u}},
       0xFFFFFFFEu, 1u, true, 2, 1},
      {"straddling 0, asked from the far side of the circle",
       {{0, 0, 7u, 0xFFFFFFF0u, 0xFFFFFFFCu}, {2, 1, 7u, 3u, 0xFFFFFFFFu}, {5, 3, 7u, 20u, 4u}},
       0x80000005u, 0x7FFFFFF0u, true, 5, 3},
      {"values above 0 asked from just below it (a previous position left of the picture)",
       {{0, 0, 7u, 2u, 3u}, {3, 2, 7u, 40u, 3u}, {5, 3, 7u, 0x7FFFFF00u, 3u}}, 0xFFFFFFF0u, 3u,
       true, 0, 0},
  };
  // One block; and blocks so small that no part holds more than two pixels,
  // so that the answer comes from another part than the nearest pixels'.
  for (const std::uint32_t largestBlock : {kOneBlock, 256u}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", blocks up to " << largestBlock);
      Plain p(6, 4);
      for (const Pixel& px : c.pixels) p.Put(px.x, px.y, px.tag, px.v1, px.v2);
      Built b(p, largestBlock);
      ASSERT_NE(b.index, nullptr);
      EXPECT_LE(b.blocks.largest, largestBlock);
      const Answer scan = ByScan(p, 7u, c.q1, c.q2);
      ASSERT_EQ(scan.hit.found, c.found);
      if (c.found) {
        EXPECT_EQ(scan.hit.x, c.x);
        EXPECT_EQ(scan.hit.y, c.y);
      }
      ExpectSame(scan, ByIndex(b, 7u, c.q1, c.q2));
      // Asked again, with the last answer as the first guess.
      ExpectSame(scan, ByIndex(b, 7u, c.q1, c.q2));
    }
  }
}

// The grid keeps the queries it can answer exactly off the k-d tree, which
// is built for a whole object on its first use: a pixel whose previous
// position lies just left of the picture (a value below 0) against an
// object whose values all lie above it.
TEST(MatchIndexTest, GridAnswersQueriesJustAcrossZeroFromItsValues) {
  const std::uint32_t m1[] = {2u, 40u, 100u, 7u}, m2[] = {3u, 3u, 9u, 0xFFFFFFFEu};
  const std::uint32_t objectPositions[] = {0u, 1u, 2u, 3u};
  std::vector<std::uint32_t> cells(GridCellBudget(4) + 1u), positions(4), values(8);
  MatchGrid grid;
  int polls = 0;
  WorkMeter meter = {0u, CountPoll, &polls};
  BuildGrid(objectPositions, 4u, MatchPoints{m1, m2}, cells.data(), positions.data(),
            values.data(), &grid, &meter);
  EXPECT_TRUE(GridAnswers(grid, 0xFFFFFFF0u, 3u));
  EXPECT_TRUE(GridAnswers(grid, 0x7FFFFF00u, 3u));
  EXPECT_FALSE(GridAnswers(grid, 0x80000030u, 3u)) << "half the circle from every value";
}

TEST(MatchIndexTest, FlatValuesFindTheEarliestPixel) {
  // Every pixel at the same distance: only the position decides.
  Plain p(64, 64);
  for (std::int32_t y = 0; y < 64; ++y) {
    for (std::int32_t x = 0; x < 64; ++x) p.Put(x, y, (x + y) % 3 == 0 ? 5u : 6u, 77u, 99u);
  }
  Built b(p);
  for (std::uint32_t q : {77u, 0u, 0xFFFFFFFFu, 77u + 0x80000000u}) {
    ExpectSame(ByScan(p, 5u, q, 99u), ByIndex(b, 5u, q, 99u));
    ExpectSame(ByScan(p, 6u, 12u, q), ByIndex(b, 6u, 12u, q));
  }
}

// Value sets that stress the wrapping distance: tiny sets with opposite
// values, runs across 0 and 2^31, spans of 2^30 and more, the full range.
std::uint32_t Draw(std::mt19937& rng, int kind, std::uint32_t base) {
  const std::uint32_t r = rng();
  switch (kind) {
    case 0: return base + (r % 5u) * 0x40000000u + (r >> 29);      // quarters and their neighbours
    case 1: return base + (r % 7u) - 3u;                            // a few values around base
    case 2: return r % 3u == 0u ? base ^ 0x80000000u : base + (r % 3u);  // opposite pairs
    case 3: return base + (r % 64u) * 0x01000000u;                  // a span of 2^30
    case 4: return base + (r % 1000u) * 65536u;                     // surface coordinates
    default: return r;                                              // anything
  }
}

TEST(MatchIndexTest, RandomFramesGiveTheScansPixelForEveryQuery) {
  std::mt19937 rng(20261210u);
  const std::uint32_t bases[] = {0u, 0xFFFFFFF0u, 0x7FFFFFF8u, 0x12345678u};
  for (int frame = 0; frame < 300; ++frame) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    const std::int32_t w = 1 + static_cast<std::int32_t>(rng() % 48u);
    const std::int32_t h = 1 + static_cast<std::int32_t>(rng() % 40u);
    const int kind1 = static_cast<int>(rng() % 6u), kind2 = static_cast<int>(rng() % 6u);
    const std::uint32_t base1 = bases[rng() % 4u], base2 = bases[rng() % 4u];
    const std::uint32_t objects = 1u + rng() % 4u;
    Plain p(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
      for (std::int32_t x = 0; x < w; ++x) {
        const std::uint32_t object = rng() % (objects + 1u);  // 0: background
        p.Put(x, y, object | (rng() % 4u) << 30, Draw(rng, kind1, base1), Draw(rng, kind2, base2));
      }
    }
    // Blocks of 2 KB take some 75 pixels to a part.
    Built whole(p), split(p, 2048u);
    ASSERT_NE(split.index, nullptr);
    EXPECT_LE(split.blocks.largest, 2048u);
    if (w * h > 600) {
      EXPECT_GT(split.Parts(), static_cast<int>(split.index->objectCount));
    }
    for (int q = 0; q < 40; ++q) {
      const std::uint32_t object = 1u + rng() % (objects + 1u);  // the last may be absent
      const std::uint32_t q1 = Draw(rng, kind1, base1), q2 = Draw(rng, kind2, base2);
      SCOPED_TRACE(testing::Message() << "object " << object << " query " << q1 << ", " << q2);
      const Answer scan = ByScan(p, object, q1, q2);
      ExpectSame(scan, ByIndex(whole, object, q1, q2));
      ExpectSame(scan, ByIndex(split, object, q1, q2));
    }
  }
}

// A host that refuses large blocks: the index is asked for again in smaller
// ones and answers as before; one that refuses every block gets no index
// and keeps none of its blocks.
TEST(MatchIndexTest, RefusedBlocksAreAskedForAgainInSmallerOnes) {
  Plain p(64, 48);
  for (std::int32_t y = 3; y < 45; ++y) {
    for (std::int32_t x = 2; x < 60; ++x) {
      p.Put(x, y, 1u + static_cast<std::uint32_t>(x / 20), static_cast<std::uint32_t>(x) << 16,
            static_cast<std::uint32_t>(y) << 16);
    }
  }
  struct Case {
    std::uint32_t refuseAbove;
    bool built;
  };
  for (const Case c : {Case{30000u, true}, Case{9000u, true}, Case{5000u, true},
                       Case{3000u, false}}) {
    SCOPED_TRACE(testing::Message() << "blocks above " << c.refuseAbove << " refused");
    Built b(p, kOneBlock, c.refuseAbove);
    ASSERT_EQ(b.index != nullptr, c.built);
    EXPECT_LE(b.blocks.largest, c.refuseAbove);
    if (!c.built) continue;
    EXPECT_GT(b.blocks.given, 2) << "the index fitted in the largest block given";
    for (std::uint32_t object = 1u; object <= 3u; ++object) {
      for (const std::uint32_t q : {0u, 0x00123456u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        ExpectSame(ByScan(p, object, q, q ^ 0x00300000u), ByIndex(b, object, q, q ^ 0x00300000u));
      }
    }
  }
}

TEST(MatchIndexTest, PollsAtLeastOncePerFewThousandElements) {
  Plain p(300, 200);
  for (std::int32_t y = 10; y < 190; ++y) {
    for (std::int32_t x = 20; x < 280; ++x) {
      p.Put(x, y, 3u, static_cast<std::uint32_t>(x) << 16, static_cast<std::uint32_t>(y) << 16);
    }
  }
  Built b(p);
  // Planning and grouping read the frame three times.
  EXPECT_GE(b.polls, 3 * 300 * 200 / static_cast<int>(kPollWork));
  const int beforeBuild = b.polls;
  IndexedObject* o = FindIndexedObject(b.index, 3u);
  ASSERT_NE(o, nullptr);
  NearestOfObject(b.index, o, 5u, 5u);
  // Every level of the tree reads all of the object's pixels.
  EXPECT_GE(b.polls - beforeBuild, static_cast<int>(o->count / kPollWork));
  const int beforeQueries = b.polls;
  for (std::uint32_t i = 0; i < 4000; ++i) NearestOfObject(b.index, o, i << 12, i << 13);
  EXPECT_GE(b.polls - beforeQueries, 4000 / static_cast<int>(kPollWork));
}

}  // namespace
}  // namespace qxv
