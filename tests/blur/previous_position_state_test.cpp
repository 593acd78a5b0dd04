// What the previous-frame search remembers between the pixels of a pass:
// lastObject, objectBox and the found flag, and which calls leave them alone.
#include <gtest/gtest.h>

#include <cstdint>

#include "kernel/match_search.h"
#include "blur/previous_position.h"
#include "tests/support/module_fixture.h"
#include "tests/support/search_mode.h"
#include "blur/search_host.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kW = 8, kH = 4;
constexpr std::uint32_t kA = 5, kB = 6;

// Reference frame: object A on columns 1-2 of rows 0-1, object B on columns
// 5-6 of rows 2-3; match values 10 x and 10 y; depth 1000 + 10 y + x.
class PreviousPositionState : public ModuleTest {
 protected:
  void MakeReference(std::uint32_t tagDepth = 32) {
    sim::BufferSpec spec;
    spec.width = kW;
    spec.height = kH;
    TileBuffer** fields[] = {&pblur_->referenceTags, &pblur_->referenceMatch1,
                             &pblur_->referenceMatch2, &pblur_->referenceDepth};
    for (TileBuffer** field : fields) {
      spec.pixelDepth = field == &pblur_->referenceTags ? tagDepth : 32;
      *field = sim::NewTileBuffer(spec);
    }
    for (std::uint32_t y = 0; y < kH; ++y) {
      for (std::uint32_t x = 0; x < kW; ++x) {
        std::uint32_t tag = 0;
        if (y <= 1 && (x == 1 || x == 2)) tag = kA;
        if (y >= 2 && (x == 5 || x == 6)) tag = kB;
        sim::WriteElement(pblur_->referenceTags, x, y, tag);
        sim::WriteElement(pblur_->referenceMatch1, x, y, 10 * x);
        sim::WriteElement(pblur_->referenceMatch2, x, y, 10 * y);
        sim::WriteElement(pblur_->referenceDepth, x, y, 1000 + 10 * y + x);
      }
    }
    for (int i = 0; i < 3; ++i) {
      TileBuffer* b = *fields[i];
      Rect16 region = {0, 0, 32000, 32000};
      TileIterator* it = b->ops->NewTileIterator(b, &region);
      it->ops->NextTile(it, 1, &pblur_->referenceTileIds[i], nullptr);
      ReleaseInterface(it);
      b->ops->LockTile(b, pblur_->referenceTileIds[i]);
    }
    // The pass locks the depth reference beside the other three.
    TileBuffer* depth = pblur_->referenceDepth;
    Rect16 region = {0, 0, 32000, 32000};
    TileIterator* it = depth->ops->NewTileIterator(depth, &region);
    it->ops->NextTile(it, 1, &depthTile_, nullptr);
    ReleaseInterface(it);
    depth->ops->LockTile(depth, depthTile_);
    pblur_->parameters.depthTest = 1;
    BeginMatchSearches(&pblur_->search, InitShellSearchHost());
  }
  void TearDown() override {
    ReleaseMatchIndex(&pblur_->search, InitShellSearchHost());
    TileBuffer* locked[] = {pblur_->referenceTags, pblur_->referenceMatch1,
                            pblur_->referenceMatch2};
    for (int i = 0; i < 3; ++i) {
      if (locked[i]) locked[i]->ops->UnlockTile(locked[i], pblur_->referenceTileIds[i]);
    }
    TileBuffer* depth = pblur_->referenceDepth;
    if (depth) depth->ops->UnlockTile(depth, depthTile_);
    ReleaseCachedObjects(pblur_);
    ModuleTest::TearDown();
  }

  std::uint32_t depthTile_ = 0;

  struct Search {
    bool result;
    std::int32_t x, y;
    bool found;
    std::uint32_t endDepth;
    std::int64_t polls;
  };
  Search Find(std::uint32_t object, std::uint32_t m1, std::uint32_t m2, std::int32_t x,
              std::int32_t y, bool found) {
    Search s = {false, x, y, found, 0xDEADu, sim::PollCount()};
    const ReferenceView reference =
        TakeReferenceView(pblur_, pblur_->parameters.depthTest != 0, &depthTile_);
    s.result = FindPreviousPosition(pblur_, reference, object, m1, m2, &s.x, &s.y, &s.found,
                                    &s.endDepth);
    s.polls = sim::PollCount() - s.polls;
    return s;
  }
  void ExpectBox(std::int32_t rowMin, std::int32_t rowMax, std::int32_t colMin,
                 std::int32_t colMax) {
    EXPECT_EQ(pblur_->search.objectBox.rowMin, rowMin);
    EXPECT_EQ(pblur_->search.objectBox.rowMax, rowMax);
    EXPECT_EQ(pblur_->search.objectBox.colMin, colMin);
    EXPECT_EQ(pblur_->search.objectBox.colMax, colMax);
  }
};

const MatchSearch kBothSearches[] = {MatchSearch::kLiteral, MatchSearch::kIndexed};
const char* Name(MatchSearch m) { return m == MatchSearch::kLiteral ? "literal" : "indexed"; }

TEST_F(PreviousPositionState, QuickTestLeavesLastObjectBoxAndEndDepthAlone) {
  MakeReference();
  pblur_->search.lastObject = 9;
  pblur_->search.objectBox = {1, 2, 3, 4};
  // A's pixel (2, 1) carries (20, 10) in place: found without a scan.
  const Search s = Find(kA, 20, 10, 2, 1, false);
  EXPECT_TRUE(s.result);
  EXPECT_TRUE(s.found);
  EXPECT_EQ(s.x, 2);
  EXPECT_EQ(s.y, 1);
  EXPECT_EQ(s.endDepth, 0xDEADu) << "the pixel has not moved; its depth is not read";
  EXPECT_EQ(s.polls, 0);
  EXPECT_EQ(pblur_->search.lastObject, 9);
  ExpectBox(1, 2, 3, 4);
}

TEST_F(PreviousPositionState, BoxSearchAfterNothingFoundScansNothing) {
  MakeReference();
  for (MatchSearch mode : kBothSearches) {
    SCOPED_TRACE(Name(mode));
    ScopedMatchSearch scoped(mode);
    pblur_->search.lastObject = static_cast<std::int32_t>(kA);
    pblur_->search.objectBox = {0, 1, 1, 2};  // A's own box: a scan would find (2, 1)
    const Search s = Find(kA, 20, 10, 7, 3, false);
    EXPECT_FALSE(s.result);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.x, 7);
    EXPECT_EQ(s.y, 3);
    EXPECT_EQ(s.endDepth, 0xDEADu);
    EXPECT_EQ(s.polls, 0);
    EXPECT_EQ(pblur_->search.lastObject, static_cast<std::int32_t>(kA));
    ExpectBox(0, 1, 1, 2);
  }
}

TEST_F(PreviousPositionState, ReturningToAnObjectAfterAnotherScansTheWholeFrameAgain) {
  MakeReference();
  for (MatchSearch mode : kBothSearches) {
    SCOPED_TRACE(Name(mode));
    ScopedMatchSearch scoped(mode);
    BeginMatchSearches(&pblur_->search, InitShellSearchHost());
    pblur_->search.lastObject = 0;
    bool found = false;
    // A, B, A, each from (7, 3), where the reference holds background.
    const Search a1 = Find(kA, 10, 0, 7, 3, found);
    const Search b = Find(kB, 50, 20, 7, 3, a1.found);
    const Search a2 = Find(kA, 10, 0, 7, 3, b.found);
    // A's exact pixel is its first, (1, 0); depth 1000 + 0 + 1.
    for (const Search& s : {a1, a2}) {
      EXPECT_TRUE(s.result);
      EXPECT_EQ(s.x, 1);
      EXPECT_EQ(s.y, 0);
      EXPECT_EQ(s.endDepth, 1001u);
    }
    // B at (5, 2): depth 1000 + 20 + 5.
    EXPECT_TRUE(b.result);
    EXPECT_EQ(b.x, 5);
    EXPECT_EQ(b.y, 2);
    EXPECT_EQ(b.endDepth, 1025u);
    EXPECT_EQ(pblur_->search.lastObject, static_cast<std::int32_t>(kA));
    ExpectBox(0, 1, 1, 2);
    if (mode == MatchSearch::kLiteral) {
      // A full scan visits all four pixels of the object even after an exact
      // one; a box search would stop at the first.
      EXPECT_EQ(a1.polls, 4);
      EXPECT_EQ(b.polls, 4);
      EXPECT_EQ(a2.polls, 4);
    }
    ReleaseMatchIndex(&pblur_->search, InitShellSearchHost());
  }
}

TEST_F(PreviousPositionState, ReferenceTagsOfAnotherPixelDepthFindNothing) {
  MakeReference(24);
  pblur_->search.lastObject = 9;
  pblur_->search.objectBox = {1, 2, 3, 4};
  // (2, 1) would pass the quick test.
  const Search s = Find(kA, 20, 10, 2, 1, true);
  EXPECT_FALSE(s.result);
  EXPECT_FALSE(s.found);
  EXPECT_EQ(s.x, 2);
  EXPECT_EQ(s.y, 1);
  EXPECT_EQ(s.endDepth, 0xDEADu);
  EXPECT_EQ(s.polls, 0);
  EXPECT_EQ(pblur_->search.lastObject, 9);
  ExpectBox(1, 2, 3, 4);
}

}  // namespace
}  // namespace qxv::test
