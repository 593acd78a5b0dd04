// The index's blocks when things go wrong: a refused block leaves the pass
// to the literal scan with the same pixels, and a failure raised while the
// index is being made leaves its blocks where the pass's failure path frees
// them.
#include <gtest/gtest.h>

#include <vector>

#include "kernel/match_search.h"
#include "tests/support/module_fixture.h"
#include "blur/search_host.h"

namespace qxv::test {
namespace {

class SearchFailure : public ModuleTest {};

void DrawScene(Frame& frame, int n) {
  frame.Clear(0x102030);
  frame.DrawRect(3 + 2 * n, 2, 9, 6, 4, 0xF08020, 60);
  frame.DrawRect(14 - n, 5, 5, 4, 9, 0x20F080, 40);
}

TEST_F(SearchFailure, RefusedBlockFallsBackToTheScanWithTheSameImage) {
  std::vector<std::uint32_t> blurred;
  {
    Pblur* clean = NewPblurFromFactory();
    Frame first(24, 12, 8, 8), second(24, 12, 8, 8);
    DrawScene(first, 0);
    DrawScene(second, 1);
    RunPass(clean, nullptr, first, view_);
    RunPass(clean, nullptr, second, view_);
    blurred = sim::Snapshot(second.image);
    clean->ops->Release(clean);
  }
  const std::int32_t blocks = sim::LiveBlocks();
  int absorbed = 0;
  for (std::int64_t k = 1;; ++k) {
    SCOPED_TRACE(testing::Message() << "allocation " << k << " of the full pass fails");
    Pblur* pblur = NewPblurFromFactory();
    Frame first(24, 12, 8, 8), second(24, 12, 8, 8);
    DrawScene(first, 0);
    DrawScene(second, 1);
    ASSERT_EQ(RunPass(pblur, nullptr, first, view_).result, S_OK);
    const std::int64_t before = sim::AllocationCount();
    sim::FailAllocation(k, false);
    const PassOutcome b = RunPass(pblur, nullptr, second, view_);
    sim::FailAllocation(0, false);
    const bool reached = sim::AllocationCount() - before >= k;
    ASSERT_TRUE(b.completed);
    EXPECT_EQ(pblur->search.matchIndex, nullptr);
    if (reached && b.result == S_OK) {
      // Only the index's blocks may fail unnoticed, and then nothing shows it.
      ++absorbed;
      EXPECT_EQ(sim::Snapshot(second.image), blurred);
    }
    pblur->ops->Release(pblur);
    ASSERT_EQ(sim::LiveBlocks(), blocks);
    if (!reached) break;
  }
  // The index's two blocks: its tables, then its objects' parts.
  EXPECT_EQ(absorbed, 2);
}

std::int32_t BlocksOf(const MatchIndex* index) {
  std::int32_t count = 0;
  for (const BlockLink* b = index ? index->blocks.first : nullptr; b; b = b->next) ++count;
  return count;
}

struct SearchCall {
  Pblur* pblur;
  ReferenceFrame frame;
  MatchCandidate result;
};

void Search(void* context) {
  SearchCall* call = static_cast<SearchCall*>(context);
  const ObjectBox whole = {0, call->frame.height - 1, 0, call->frame.width - 1};
  call->pblur->search.objectBox = kNoBox;
  call->result = SearchReference(&call->pblur->search, InitShellSearchHost(), call->frame, whole, 3u, 0x00058000u, 0x00030000u,
                                 false);
}

TEST_F(SearchFailure, FailureWhileTheIndexIsMadeLeavesItsBlockHeldForTheFailurePath) {
  // Large enough that planning, grouping and the tree all poll the host.
  constexpr std::int32_t kWidth = 96, kHeight = 64;
  std::vector<std::uint32_t> tags(kWidth * kHeight, 0u), m1(tags), m2(tags);
  for (std::int32_t y = 4; y < 60; ++y) {
    for (std::int32_t x = 10; x < 90; ++x) {
      tags[y * kWidth + x] = 3u;
      m1[y * kWidth + x] = static_cast<std::uint32_t>(x - 10) << 16;
      m2[y * kWidth + x] = static_cast<std::uint32_t>(y - 4) << 16;
    }
  }
  SearchCall call = {pblur_, {tags.data(), m1.data(), m2.data(), kWidth, kHeight}, {}};
  const std::int32_t blocks = sim::LiveBlocks();
  int raised = 0;
  for (std::int64_t k = 1;; ++k) {
    SCOPED_TRACE(testing::Message() << "raise at host call " << k);
    BeginMatchSearches(&pblur_->search, InitShellSearchHost());
    sim::FailAtHostCall(k, 0x0BAD0002, 5);
    const bool completed = sim::RunInHostFrame(Search, &call, nullptr, nullptr);
    sim::FailAtHostCall(0, 0, 0);
    if (completed) {
      EXPECT_TRUE(call.result.found);
      EXPECT_EQ(call.result.x, 15);
      EXPECT_EQ(call.result.y, 7);
      ReleaseMatchIndex(&pblur_->search, InitShellSearchHost());
      break;
    }
    ++raised;
    // Whatever blocks are alive are those the Pblur holds.
    EXPECT_EQ(sim::LiveBlocks(), blocks + BlocksOf(pblur_->search.matchIndex));
    ReleaseCachedObjects(pblur_);  // what the pass does on its failure path
    EXPECT_EQ(pblur_->search.matchIndex, nullptr);
    ASSERT_EQ(sim::LiveBlocks(), blocks);
    ASSERT_LT(k, 10000) << "runaway";
  }
  EXPECT_EQ(sim::ChainHead(), nullptr);
  EXPECT_GT(raised, 10) << "the build polled too rarely to test";
}

}  // namespace
}  // namespace qxv::test
