// Fault loops: for each scenario, a host failure raised at host call k and
// allocation k refused (once, and from then on), for every k until a run
// no longer reaches it. Each run must pass the failure on once, leak
// nothing, leave no tile locked and the host's chain head as it was, never
// leave an image half painted by a missing block, and go on afterwards as a
// fresh object would.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/support/animation.h"
#include "weight/jitter.h"

namespace qxv::test {
namespace {

constexpr std::int32_t kError = 0x7E570001;
constexpr std::int32_t kDetail = -3;

struct Scenario {
  const char* name;
  int frames;
  std::uint32_t width, height, tile;
  std::function<void(int, Frame&)> draw;
  std::function<void(ParameterBlock&)> configure;
  SceneObjectList* scene;
};

// Two objects crossing; the second comes nearer each frame.
void DrawTwoObjects(int n, Frame& f) {
  f.DrawRect(3 + 3 * n, 3, 5, 5, 1, 0xFF8000, 50);
  f.DrawRect(12 - 2 * n, 2, 4, 6, 2, 0x0080FF, 60 - 10 * n);
}

enum class Fault { kHostCall, kAllocationOnce, kAllocationFromThenOn };

const char* Name(Fault f) {
  switch (f) {
    case Fault::kHostCall: return "host failure at call";
    case Fault::kAllocationOnce: return "allocation refused once at";
    case Fault::kAllocationFromThenOn: return "allocations refused from";
  }
  return "";
}

struct FrameResult {
  PassOutcome outcome;
  std::vector<std::uint32_t> rendered, image;
  std::uint32_t jitterBefore;
  std::int64_t firstCall;  // the host call count when the frame began
  std::int32_t lockedDelta;
  bool cachesDropped;
};

class PassFaultScenarios : public ModuleTest {
 protected:
  Pblur* NewConfigured(const Scenario& s) {
    Pblur* pblur = NewPblurFromFactory();
    s.configure(sim::ParametersOf(pblur));
    return pblur;
  }

  FrameResult RunFrame(const Scenario& s, Pblur* pblur, int n) {
    Frame frame(s.width, s.height, s.tile, s.tile);
    s.draw(n, frame);
    FrameResult r;
    r.rendered = sim::Snapshot(frame.image);
    r.jitterBefore = JitterState();
    r.firstCall = sim::HostCallCount();
    const std::int32_t locked = sim::LockedTiles();
    r.outcome = RunPass(pblur, s.scene, frame, view_);
    r.lockedDelta = sim::LockedTiles() - locked;
    r.image = sim::Snapshot(frame.image);
    r.cachesDropped = pblur->referenceTags == nullptr && pblur->tagBuffer == nullptr;
    return r;
  }

  std::vector<FrameResult> RunAll(const Scenario& s, Pblur* pblur,
                                  const std::function<void()>& afterFrame) {
    SetJitterState(1);
    std::vector<FrameResult> frames;
    for (int n = 0; n < s.frames; ++n) {
      frames.push_back(RunFrame(s, pblur, n));
      afterFrame();
    }
    return frames;
  }

  // The image a fresh object paints from frames n - 1 and n, with the
  // jitter generator where the faulty run had it.
  std::vector<std::uint32_t> FreshImage(const Scenario& s, int n, std::uint32_t jitter) {
    Pblur* fresh = NewConfigured(s);
    RunFrame(s, fresh, n - 1);
    SetJitterState(jitter);
    FrameResult r = RunFrame(s, fresh, n);
    fresh->ops->Release(fresh);
    return r.image;
  }

  void CheckRun(const Scenario& s, Fault fault, std::int64_t failingCall,
                const std::vector<FrameResult>& frames, const std::vector<FrameResult>& clean) {
    int broken = -1;
    for (int n = 0; n < s.frames; ++n) {
      SCOPED_TRACE(::testing::Message() << "frame " << n);
      const FrameResult& f = frames[n];
      if (!f.outcome.completed) {
        EXPECT_EQ(fault, Fault::kHostCall);
        EXPECT_EQ(broken, -1) << "a failure reached the host twice";
        EXPECT_EQ(f.outcome.error, kError);
        EXPECT_EQ(f.outcome.detail, kDetail);
        // A raise at the pass's first two host calls (the chain head's
        // address, to read the head and to install the frame) comes before
        // it holds anything; anywhere later, the caches go with it.
        if (failingCall > f.firstCall + 2) {
          EXPECT_TRUE(f.cachesDropped);
        }
        broken = n;
        continue;
      }
      EXPECT_EQ(f.lockedDelta, 0) << "tiles left locked";
      if (fault == Fault::kHostCall || f.outcome.result == S_OK) {
        EXPECT_EQ(f.outcome.result, S_OK);
        continue;
      }
      EXPECT_EQ(f.outcome.result, E_OUTOFMEMORY);
      EXPECT_TRUE(f.cachesDropped);
      // A refused frame is left as rendered: everything the pass asks for
      // is had before the composite touches the image.
      if (broken == -1) {
        EXPECT_TRUE(f.image == f.rendered);
        broken = n;
      }
    }
    EXPECT_EQ(sim::ChainHead(), nullptr);
    // The next frame only stores; the one after blurs exactly as a fresh object.
    if (broken >= 0 && broken + 2 < s.frames && frames[broken].cachesDropped) {
      EXPECT_EQ(frames[broken + 2].image,
                FreshImage(s, broken + 2, frames[broken + 2].jitterBefore))
          << "two frames after the failure at frame " << broken;
    }
  }
};

TEST_F(PassFaultScenarios, EveryHostCallAndEveryAllocationFails) {
  const Animation animation;
  const Scenario scenarios[] = {
      {"defaults, one tile", 3, 20, 12, 0, DrawTwoObjects,
       [](ParameterBlock& p) {
         p.trailFrames = 3.0f;
         p.echoCount = 2.0f;
       },
       nullptr},
      {"depth and trails, 8 x 8 tiles", 3, 20, 12, 8, DrawTwoObjects,
       [](ParameterBlock& p) {
         p.depthTest = 1;
         p.trails = 1;
         p.trailFrames = 3.0f;
         p.echoCount = 2.0f;
       },
       nullptr},
      {"every feature, five frames of an animation", 5, Animation::kWidth, Animation::kHeight,
       Animation::kTile, [&](int n, Frame& f) { animation.Draw(n, f); }, Animation::Configure,
       animation.Objects()},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Pblur* reference = NewConfigured(s);
    const std::vector<FrameResult> clean = RunAll(s, reference, [] {});
    reference->ops->Release(reference);
    const std::int32_t objects = sim::LiveHostObjects();
    const std::int32_t blocks = sim::LiveBlocks();
    for (Fault fault : {Fault::kHostCall, Fault::kAllocationOnce, Fault::kAllocationFromThenOn}) {
      for (std::int64_t k = 1;; ++k) {
        SCOPED_TRACE(::testing::Message() << Name(fault) << " " << k);
        Pblur* pblur = NewConfigured(s);
        const std::int64_t raises = sim::RaiseCount();
        const std::int64_t allocations = sim::AllocationCount();
        const std::int64_t failingCall = sim::HostCallCount() + k;
        const auto reached = [&] {
          return fault == Fault::kHostCall ? sim::RaiseCount() != raises
                                           : sim::AllocationCount() - allocations >= k;
        };
        if (fault == Fault::kHostCall) sim::FailAtHostCall(k, kError, kDetail);
        if (fault != Fault::kHostCall) sim::FailAllocation(k, fault == Fault::kAllocationFromThenOn);
        // Refusals from k on last until the end of the frame that reached k.
        const std::vector<FrameResult> frames = RunAll(s, pblur, [&] {
          if (fault == Fault::kAllocationFromThenOn && reached()) sim::FailAllocation(0, false);
        });
        sim::FailAtHostCall(0, 0, 0);
        sim::FailAllocation(0, false);
        const bool wasReached = reached();
        CheckRun(s, fault, failingCall, frames, clean);
        pblur->ops->Release(pblur);
        ASSERT_EQ(sim::LiveHostObjects(), objects) << "host objects leaked";
        ASSERT_EQ(sim::LiveBlocks(), blocks) << "blocks leaked";
        if (::testing::Test::HasFailure() || !wasReached) break;
      }
    }
  }
}

}  // namespace
}  // namespace qxv::test
