// Copying one tile buffer into another across the tilings the host and the
// module use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "stages/copy_buffer.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

struct Shape {
  std::uint32_t width, height;
  std::uint32_t tileWidth = 0, tileHeight = 0;  // 0: one tile
  std::uint32_t depth = 32;
  bool cut = false;  // edge tiles cut to the buffer
};

TileBuffer* NewBuffer(const Shape& s) {
  sim::BufferSpec spec;
  spec.width = s.width;
  spec.height = s.height;
  spec.tileWidth = s.tileWidth;
  spec.tileHeight = s.tileHeight;
  spec.pixelDepth = s.depth;
  spec.cutEdgeTiles = s.cut;
  return sim::NewTileBuffer(spec);
}

// Every pixel different, and different between the two buffers, so that a
// value in the wrong place or an unwritten one shows.
std::vector<std::uint32_t> Pattern(const Shape& s, std::uint32_t tag) {
  std::vector<std::uint32_t> v(s.width * s.height);
  for (std::uint32_t y = 0; y < s.height; ++y) {
    for (std::uint32_t x = 0; x < s.width; ++x) v[y * s.width + x] = tag | (y << 12) | x;
  }
  return v;
}
constexpr std::uint32_t kSourceTag = 0x50000000u;
constexpr std::uint32_t kOldTag = 0xD0000000u;

// What the destination holds after a copy: the source inside both extents,
// its old values elsewhere.
std::vector<std::uint32_t> Expected(const Shape& src, const Shape& dst, bool copies) {
  std::vector<std::uint32_t> v = Pattern(dst, kOldTag);
  if (!copies) return v;
  for (std::uint32_t y = 0; y < std::min(src.height, dst.height); ++y) {
    for (std::uint32_t x = 0; x < std::min(src.width, dst.width); ++x) {
      v[y * dst.width + x] = kSourceTag | (y << 12) | x;
    }
  }
  return v;
}

class CopyBufferTest : public ModuleTest {
 protected:
  void Make(const Shape& src, const Shape& dst) {
    source_ = NewBuffer(src);
    destination_ = NewBuffer(dst);
    sim::Fill(source_, Pattern(src, kSourceTag));
    sim::Fill(destination_, Pattern(dst, kOldTag));
  }
  void Drop() {
    ReleaseInterface(source_);
    ReleaseInterface(destination_);
    source_ = destination_ = nullptr;
  }
  TileBuffer* source_ = nullptr;
  TileBuffer* destination_ = nullptr;
};

TEST_F(CopyBufferTest, CopiesWhenOneSideIsASingleTile) {
  struct Case {
    const char* name;
    Shape source, destination;
    bool copies;
  };
  const Case cases[] = {
      {"single to single", {7, 5}, {7, 5}, true},
      {"single to tiles reaching past the edges", {7, 5}, {7, 5, 3, 2}, true},
      {"single to larger tiled", {5, 3}, {8, 4, 3, 3}, true},
      {"tiles to single", {7, 5, 3, 2}, {7, 5}, true},
      {"tiles to larger single", {5, 3, 2, 2}, {8, 4}, true},
      {"single to single of another depth", {7, 5}, {7, 5, 0, 0, 24}, true},
      {"one pixel", {1, 1}, {1, 1}, true},
      {"tiles to tiles", {7, 5, 3, 2}, {7, 5, 4, 4}, false},
      {"tiles to the same tiles", {7, 5, 3, 2}, {7, 5, 3, 2}, false},
      {"source depth 24, single to single", {7, 5, 0, 0, 24}, {7, 5}, false},
      {"source depth 24, single to tiles", {7, 5, 0, 0, 24}, {7, 5, 3, 2}, false},
      {"source depth 24, tiles to single", {7, 5, 3, 2, 24}, {7, 5}, false},
      // A smaller destination is never written past its own rows.
      {"single to smaller single", {7, 5}, {4, 3}, true},
      {"single to narrower single", {7, 5}, {4, 5}, true},
      {"single to shorter single", {7, 5}, {7, 3}, true},
      {"tiles to smaller single", {7, 5, 3, 2}, {4, 3}, true},
      {"tiles to narrower single", {7, 5, 3, 2}, {4, 5}, true},
      {"single to smaller tiled", {7, 5}, {4, 3, 3, 2}, true},
      // Edge tiles cut to the buffer: the right-hand tiles are 2 wide, and
      // so are the rows of their memory.
      {"tiles cut at the edges to single", {10, 10, 8, 8, 32, true}, {10, 10}, true},
      {"tiles cut at the edges to larger single", {10, 10, 8, 8, 32, true}, {12, 11}, true},
      {"tiles cut at the edges to narrower single", {10, 10, 8, 8, 32, true}, {9, 10}, true},
      {"single to tiles cut at the edges", {10, 10}, {10, 10, 8, 8, 32, true}, true},
      {"single to smaller tiles cut at the edges", {10, 10}, {9, 9, 8, 8, 32, true}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int32_t live = sim::LiveHostObjects();
    const std::int32_t blocks = sim::LiveBlocks();
    const std::int64_t bad = sim::BadAccesses();
    Make(c.source, c.destination);
    EXPECT_EQ(CopyBuffer(source_, destination_), S_OK);
    EXPECT_EQ(sim::Snapshot(destination_), Expected(c.source, c.destination, c.copies));
    EXPECT_EQ(sim::Snapshot(source_), Pattern(c.source, kSourceTag)) << "source changed";
    EXPECT_EQ(sim::LockedTiles(), 0);
    EXPECT_EQ(sim::LiveBlocks(), blocks);
    EXPECT_EQ(sim::BadAccesses(), bad);
    Drop();
    EXPECT_EQ(sim::LiveHostObjects(), live) << "an iterator was not released";
  }
}

TEST_F(CopyBufferTest, BlockAllocationFailureCopiesNothingAndLeaksNothing) {
  struct Case {
    const char* name;
    std::int64_t failing;
    bool persistent;
  };
  for (const Case& c : {Case{"first block", 1, false}, Case{"second block", 2, false},
                        Case{"every block", 1, true}}) {
    SCOPED_TRACE(c.name);
    const std::int32_t live = sim::LiveHostObjects();
    const std::int32_t blocks = sim::LiveBlocks();
    const Shape src = {7, 5, 3, 2}, dst = {7, 5};
    Make(src, dst);
    sim::FailAllocation(c.failing, c.persistent);
    EXPECT_EQ(CopyBuffer(source_, destination_), E_OUTOFMEMORY);
    sim::FailAllocation(0, false);
    EXPECT_EQ(sim::Snapshot(destination_), Pattern(dst, kOldTag));
    EXPECT_EQ(sim::LiveBlocks(), blocks);
    EXPECT_EQ(sim::LockedTiles(), 0);
    Drop();
    EXPECT_EQ(sim::LiveHostObjects(), live);
  }
}

struct CopyCall {
  TileBuffer* source;
  TileBuffer* destination;
};

void RunCopy(void* context) {
  CopyCall* call = static_cast<CopyCall*>(context);
  CopyBuffer(call->source, call->destination);
}

TEST_F(CopyBufferTest, FailureAtEveryHostCallReleasesIteratorsAndBlocks) {
  struct Case {
    const char* name;
    Shape source, destination;
  };
  const Case cases[] = {
      {"single to tiles", {5, 3}, {5, 3, 2, 2}},
      {"tiles to single", {5, 3, 2, 2}, {5, 3}},
      {"tiles to tiles", {5, 3, 2, 2}, {5, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    bool completed = false;
    std::int64_t k = 1;
    for (; !completed && k < 2000; ++k) {
      SCOPED_TRACE(testing::Message() << c.name << ", failure at host call " << k);
      const std::int32_t live = sim::LiveHostObjects();
      const std::int32_t blocks = sim::LiveBlocks();
      Make(c.source, c.destination);
      CopyCall call = {source_, destination_};
      std::int32_t error = 0, detail = 0;
      sim::FailAtHostCall(k, 0x7000 + static_cast<std::int32_t>(k), 99);
      completed = sim::RunInHostFrame(RunCopy, &call, &error, &detail);
      sim::FailAtHostCall(0, 0, 0);
      if (!completed) {
        EXPECT_EQ(error, 0x7000 + k);
        EXPECT_EQ(detail, 99);
      }
      EXPECT_EQ(sim::LiveBlocks(), blocks);
      EXPECT_EQ(sim::ChainHead(), nullptr);
      // Tiles may stay locked on the failure path; they go with their buffers.
      Drop();
      EXPECT_EQ(sim::LiveHostObjects(), live) << "an iterator was not released";
    }
    EXPECT_TRUE(completed) << c.name;
    EXPECT_GT(k, 10) << c.name;
  }
}

}  // namespace
}  // namespace qxv::test
