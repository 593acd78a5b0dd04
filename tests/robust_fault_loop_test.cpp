// Fault loops over a whole animation with every feature on: a host failure
// at every host call, a failed allocation at every allocation (once and from
// then on), and the animation going on afterwards.
#include <gtest/gtest.h>

#include "tests/support/animation.h"
#include "weight/jitter.h"

namespace qxv::test {
namespace {

constexpr int kFrames = 5;
constexpr std::int32_t kError = 0x7E570001;
constexpr std::int32_t kDetail = -3;

struct FrameResult {
  PassOutcome outcome;
  std::vector<std::uint32_t> image;
  std::uint32_t jitterBefore;
  std::int32_t lockedDelta;
  bool cachesDropped;
};

class FaultLoop : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    animation = new Animation();
    runObjects_ = sim::LiveHostObjects();
    runBlocks_ = sim::LiveBlocks();
  }
  void TearDown() override {
    delete animation;
    ModuleTest::TearDown();
  }

  FrameResult RunFrame(Pblur* pblur, int n) {
    Frame frame(Animation::kWidth, Animation::kHeight, Animation::kTile, Animation::kTile);
    animation->Draw(n, frame);
    FrameResult r;
    r.jitterBefore = JitterState();
    const std::int32_t locked = sim::LockedTiles();
    r.outcome = RunPass(pblur, animation->Objects(), frame, view_);
    r.lockedDelta = sim::LockedTiles() - locked;
    r.image = sim::Snapshot(frame.image);
    r.cachesDropped = pblur->referenceTags == nullptr;
    return r;
  }

  Pblur* NewConfigured() {
    Pblur* pblur = NewPblurFromFactory();
    Animation::Configure(pblur->parameters);
    return pblur;
  }

  // The image a fresh object paints from frames n - 1 and n, with the
  // jitter generator where the faulty run had it.
  std::vector<std::uint32_t> FreshImage(int n, std::uint32_t jitter) {
    Pblur* fresh = NewConfigured();
    RunFrame(fresh, n - 1);
    SetJitterState(jitter);
    FrameResult r = RunFrame(fresh, n);
    fresh->ops->Release(fresh);
    return r.image;
  }

  // Checks what every fault run must leave behind, given its frames.
  void CheckRun(const std::vector<FrameResult>& frames, bool hostFailure, Pblur* pblur) {
    int failed = -1;
    for (int n = 0; n < kFrames; ++n) {
      const PassOutcome& o = frames[n].outcome;
      if (!o.completed) {
        EXPECT_EQ(failed, -1) << "a failure reached the host twice";
        failed = n;
        EXPECT_EQ(o.error, kError);
        EXPECT_EQ(o.detail, kDetail);
      } else {
        EXPECT_EQ(frames[n].lockedDelta, 0) << "frame " << n << " left tiles locked";
        if (!hostFailure) {
          EXPECT_TRUE(o.result == S_OK || o.result == E_OUTOFMEMORY) << "frame " << n;
        } else {
          EXPECT_EQ(o.result, S_OK) << "frame " << n;
        }
      }
    }
    EXPECT_EQ(sim::ChainHead(), nullptr);
    // After a failure (or a refused frame) the caches are gone: the next
    // frame only stores, and the one after blurs exactly as a fresh object.
    int broken = failed;
    if (!hostFailure) {
      for (int n = 0; n < kFrames; ++n) {
        if (frames[n].outcome.result == E_OUTOFMEMORY) broken = n;
      }
    }
    // (A raise at a pass's very first host call comes before it holds
    // anything; the object then goes on from the frame before.)
    if (broken >= 0 && broken + 2 < kFrames && frames[broken].cachesDropped) {
      EXPECT_EQ(frames[broken + 2].image,
                FreshImage(broken + 2, frames[broken + 2].jitterBefore))
          << "frame " << broken + 2 << " after the failure at frame " << broken;
    }
    pblur->ops->Release(pblur);
    EXPECT_EQ(sim::LiveHostObjects(), runObjects_);
    EXPECT_EQ(sim::LiveBlocks(), runBlocks_);
  }

  Animation* animation = nullptr;
  std::int32_t runObjects_ = 0;
  std::int32_t runBlocks_ = 0;
};

TEST_F(FaultLoop, HostFailureAtEveryCall) {
  for (std::int64_t k = 1;; ++k) {
    SCOPED_TRACE(::testing::Message() << "raise at host call " << k);
    Pblur* pblur = NewConfigured();
    SetJitterState(1);
    const std::int64_t raises = sim::RaiseCount();
    sim::FailAtHostCall(k, kError, kDetail);
    std::vector<FrameResult> frames;
    for (int n = 0; n < kFrames; ++n) frames.push_back(RunFrame(pblur, n));
    sim::FailAtHostCall(0, 0, 0);
    const bool raised = sim::RaiseCount() != raises;
    CheckRun(frames, true, pblur);
    if (::testing::Test::HasFailure() || !raised) break;
  }
}

TEST_F(FaultLoop, AllocationFailureOnceAndFromThenOn) {
  for (bool persistent : {false, true}) {
    for (std::int64_t k = 1;; ++k) {
      SCOPED_TRACE(::testing::Message() << "allocation " << k << (persistent ? " on" : " once"));
      Pblur* pblur = NewConfigured();
      SetJitterState(1);
      const std::int64_t before = sim::AllocationCount();
      const auto reached = [&] { return sim::AllocationCount() - before >= k; };
      std::vector<FrameResult> frames;
      sim::FailAllocation(k, persistent);
      for (int n = 0; n < kFrames; ++n) {
        frames.push_back(RunFrame(pblur, n));
        // A persistent failure lasts until the end of the frame that
        // reached allocation k; the frames before it run untouched.
        if (persistent && reached()) sim::FailAllocation(0, false);
      }
      sim::FailAllocation(0, false);
      const bool reachedK = reached();
      CheckRun(frames, false, pblur);
      if (::testing::Test::HasFailure() || !reachedK) break;
    }
  }
}

}  // namespace
}  // namespace qxv::test
