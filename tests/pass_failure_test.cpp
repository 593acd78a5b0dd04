// A host failure or a failed allocation anywhere in a pass: nothing leaks,
// the failure reaches the host's own frame unchanged, the image is safe.
#include <gtest/gtest.h>

#include "module/counters.h"
#include "tests/support/module_fixture.h"
#include "tests/support/search_mode.h"

namespace qxv::test {
namespace {

constexpr std::int32_t kError = 0x0BAD0001;
constexpr std::int32_t kDetail = 77;

class PassFailure : public ModuleTest {
 protected:
};

struct Settings {
  const char* name;
  bool depthTest;
  bool trails;
  std::uint32_t tile;
};

const Settings kSettings[] = {
    {"defaults, one tile", false, false, 0},
    {"depth and trails, 8x8 tiles", true, true, 8},
};

TEST_F(PassFailure, HostFailureAtEveryCallOfTwoFramesLeaksNothing) {
  for (const Settings& s : kSettings) {
    SCOPED_TRACE(s.name);
    Frame first(20, 12, s.tile, s.tile), second(20, 12, s.tile, s.tile);
    first.DrawRect(3, 3, 5, 5, 1, 0xFF8000, 50);
    first.DrawRect(12, 2, 4, 6, 2, 0x0080FF, 60);
    second.DrawRect(6, 4, 5, 5, 1, 0xFF8000, 50);
    second.DrawRect(10, 2, 4, 6, 2, 0x0080FF, 40);
    const std::int32_t objects = sim::LiveHostObjects();
    const std::int32_t blocks = sim::LiveBlocks();
    bool completedWithoutRaise = false;
    for (std::int64_t k = 1; !completedWithoutRaise; ++k) {
      SCOPED_TRACE(::testing::Message() << "raise at host call " << k);
      Pblur* pblur = NewPblurFromFactory();
      pblur->parameters.depthTest = s.depthTest;
      pblur->parameters.trails = s.trails;
      pblur->parameters.trailFrames = 3.0f;
      pblur->parameters.echoCount = 2.0f;
      const std::int64_t raisesBefore = sim::RaiseCount();
      const std::int64_t start = sim::HostCallCount();
      sim::FailAtHostCall(k, kError, kDetail);
      PassOutcome a = RunPass(pblur, nullptr, first, view_);
      const std::int64_t secondStart = sim::HostCallCount();
      PassOutcome b = a.completed ? RunPass(pblur, nullptr, second, view_) : a;
      // A third frame fades the kept trails.
      const std::int64_t thirdStart = sim::HostCallCount();
      PassOutcome c = b.completed ? RunPass(pblur, nullptr, first, view_) : b;
      // A raise at either of the pass's first two host calls (the chain
      // head's address, asked to read the head and again to install the
      // frame) comes before its block is open: the object is then as it
      // was before the call.
      const auto opensPass = [&](std::int64_t passStart) {
        return start + k == passStart + 1 || start + k == passStart + 2;
      };
      const bool beforeBlock = opensPass(start) || opensPass(secondStart) || opensPass(thirdStart);
      sim::FailAtHostCall(0, 0, 0);
      completedWithoutRaise = sim::RaiseCount() == raisesBefore;
      if (!completedWithoutRaise) {
        const PassOutcome& failed = !a.completed ? a : !b.completed ? b : c;
        ASSERT_FALSE(failed.completed);
        EXPECT_EQ(failed.error, kError);
        EXPECT_EQ(failed.detail, kDetail);
        if (!beforeBlock) {
          EXPECT_EQ(pblur->referenceTags, nullptr) << "caches kept after a failure";
        }
        EXPECT_EQ(pblur->tagBuffer, nullptr);
        if (!beforeBlock) {
          EXPECT_EQ(sim::LiveHostObjects(), objects);
        }
      }
      EXPECT_EQ(sim::ChainHead(), nullptr);
      EXPECT_EQ(sim::LiveBlocks(), blocks + 1) << "only the object itself is held";
      pblur->ops->Release(pblur);
      ASSERT_EQ(sim::LiveHostObjects(), objects);
      ASSERT_EQ(sim::LiveBlocks(), blocks);
      ASSERT_LT(k, 200000) << "runaway";
    }
  }
}

TEST_F(PassFailure, FailedAllocationAtEveryPointReportsOutOfMemory) {
  // The match index's block may fail without failing the pass (search tests).
  ScopedMatchSearch literal(MatchSearch::kLiteral);
  Frame first(16, 10, 8, 8), second(16, 10, 8, 8);
  first.DrawRect(2, 2, 4, 4, 1, 0x00FF00);
  second.DrawRect(5, 3, 4, 4, 1, 0x00FF00);
  const auto rendered = sim::Snapshot(second.image);
  std::vector<std::uint32_t> blurred;
  {
    Pblur* clean = NewPblurFromFactory();
    Frame copy(16, 10, 8, 8);
    copy.DrawRect(5, 3, 4, 4, 1, 0x00FF00);
    RunPass(clean, nullptr, first, view_);
    RunPass(clean, nullptr, copy, view_);
    blurred = sim::Snapshot(copy.image);
    clean->ops->Release(clean);
    ASSERT_NE(blurred, rendered);
  }
  const std::int32_t objects = sim::LiveHostObjects();
  const std::int32_t blocks = sim::LiveBlocks();
  for (std::int64_t k = 1;; ++k) {
    SCOPED_TRACE(::testing::Message() << "allocation " << k << " fails");
    Pblur* pblur = NewPblurFromFactory();
    const std::int64_t before = sim::AllocationCount();
    sim::FailAllocation(k, false);
    PassOutcome a = RunPass(pblur, nullptr, first, view_);
    PassOutcome b;
    std::vector<std::uint32_t> secondImage;
    {
      Frame copy(16, 10, 8, 8);
      copy.DrawRect(5, 3, 4, 4, 1, 0x00FF00);
      b = RunPass(pblur, nullptr, copy, view_);
      // Never a half-painted frame: as rendered, or blurred in full when
      // only keeping the reference failed.
      secondImage = sim::Snapshot(copy.image);
      EXPECT_TRUE(secondImage == rendered || secondImage == blurred);
    }
    sim::FailAllocation(0, false);
    const bool reached = sim::AllocationCount() - before >= k;
    ASSERT_TRUE(a.completed && b.completed);
    if (reached) {
      // Either the pass says so, or it did without the block (the match
      // index falls back to scanning) and painted the same image.
      EXPECT_TRUE(a.result == E_OUTOFMEMORY || b.result == E_OUTOFMEMORY ||
                  secondImage == blurred);
      EXPECT_TRUE(a.result == S_OK || a.result == E_OUTOFMEMORY);
    } else {
      EXPECT_EQ(a.result, S_OK);
      EXPECT_EQ(b.result, S_OK);
    }
    EXPECT_EQ(sim::ChainHead(), nullptr);
    pblur->ops->Release(pblur);
    ASSERT_EQ(sim::LiveHostObjects(), objects + 0);
    ASSERT_EQ(sim::LiveBlocks(), blocks);
    if (!reached) break;
  }
}

// Without its rectangle blocks the pass can do nothing with the image, but
// the block it hands back is normalised, the reset taken and the scene kept,
// exactly as on a pass that goes on.
TEST_F(PassFailure, RectanglesThatCannotBeHadStillLeaveTheBlockNormalised) {
  sim::Scene* scene = sim::NewScene();
  for (std::int64_t failing = 1; failing <= 3; ++failing) {
    SCOPED_TRACE(::testing::Message() << "rectangle " << failing << " refused");
    Frame first(12, 8), second(12, 8);
    first.DrawRect(2, 2, 3, 3, 1, 0x00FF00);
    second.DrawRect(4, 2, 3, 3, 1, 0x00FF00);
    Pblur* pblur = NewPblurFromFactory();
    ASSERT_EQ(RunPass(pblur, nullptr, first, view_).result, S_OK);
    ParameterBlock& p = pblur->parameters;
    p.echoCount = 0.5f;
    p.trailFrames = 2.7f;
    p.activeTrailFrames = -1.5f;
    p.resetPending = 1;
    const auto rendered = sim::Snapshot(second.image);
    sim::FailAllocation(failing, false);
    const PassOutcome outcome = RunPass(pblur, sim::ObjectList(scene), second, view_);
    sim::FailAllocation(0, false);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.result, E_OUTOFMEMORY);
    EXPECT_EQ(p.echoCount, 1.0f);
    EXPECT_EQ(p.trailFrames, 2.0f);
    EXPECT_EQ(p.activeTrailFrames, -2.0f);  // rounded toward minus infinity
    EXPECT_EQ(p.resetPending, 0);
    EXPECT_EQ(pblur->sceneObjects, sim::ObjectList(scene));
    EXPECT_EQ(pblur->referenceTags, nullptr);
    EXPECT_EQ(sim::Snapshot(second.image), rendered);
    pblur->ops->Release(pblur);
  }
  sim::DestroyScene(scene);
}

}  // namespace
}  // namespace qxv::test
