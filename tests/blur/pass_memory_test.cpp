// What the pass asks of the host's address space: which whole-image buffers
// are alive in each phase, and a host that runs out of memory partway.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/memory_ledger.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kWidth = 32, kHeight = 16, kTile = 8;
constexpr std::int64_t kWholeImage = std::int64_t{kWidth} * kHeight * 4;
// Always there besides the whole-image buffers: the two scratch rows and the
// tile-sized progress icon.
constexpr std::int64_t kSmallObjects = std::int64_t{kWidth} * 2 * 4 + kTile * kTile * 4;

void DrawFrame(int n, Frame& f) {
  f.Clear(0x101010);
  f.DrawRect(3 + 3 * n, 2, 7, 5, 1, 0xFF8000, 50);
  f.DrawRect(22 - 2 * n, 8, 6, 6, 2, 0x0080FF, 40 - 10 * n, 1);
}

// A view that notes what the module's objects take whenever a tile is shown:
// the first call falls in the streak phase, the last in the composite.
struct MemoryView {
  RenderView base;
  std::vector<std::int64_t> objectBytes;
};

Result QXV_CALL NoteShow(RenderView* self, TiledImage*, const Rect16*, const Rect32*) {
  reinterpret_cast<MemoryView*>(self)->objectBytes.push_back(
      sim::ModuleMemoryNow().objectBytes);
  return S_OK;
}
std::uint32_t QXV_CALL Count(RenderView*) { return 1; }

RenderViewOps MemoryViewOps() {
  RenderViewOps ops = {};
  ops.AddRef = Count;
  ops.Release = Count;
  ops.ShowRegion = NoteShow;
  return ops;
}
const RenderViewOps kMemoryViewOps = MemoryViewOps();

struct Setting {
  const char* name;
  bool depthTest, secondaryLayer, trails;
  // Whole-image buffers alive while streaks are painted, while the layers
  // are composited, and kept after the pass.
  int streaks, composite, kept;
};

using PassMemory = ModuleTest;

TEST_F(PassMemory, WholeImageBuffersLiveOnlyWhileAPhaseReadsThem) {
  const Setting settings[] = {
      // references (3, depth 4th), tags, depth copy, layers
      {"defaults", false, true, false, 3 + 1 + 2, 3 + 2, 3},
      {"depth test, trails", true, true, true, 4 + 1 + 1 + 2, 4 + 2, 4 + 2},
      {"depth test, one layer", true, false, false, 4 + 1 + 1 + 1, 4 + 1, 4},
  };
  for (const Setting& s : settings) {
    SCOPED_TRACE(s.name);
    Pblur* pblur = NewPblurFromFactory();
    ParameterBlock& p = sim::ParametersOf(pblur);
    p.depthTest = s.depthTest;
    p.secondaryLayer = s.secondaryLayer;
    p.trails = s.trails;
    p.trailFrames = s.trails ? 3.0f : 0.0f;
    MemoryView view = {{&kMemoryViewOps}, {}};
    for (int n = 0; n < 2; ++n) {
      Frame frame(kWidth, kHeight, kTile, kTile);
      DrawFrame(n, frame);
      frame.Offer(sim::NeededBuffersOf(pblur));
      view.objectBytes.clear();
      ASSERT_EQ(RunPass(pblur, nullptr, frame, &view.base).result, S_OK);
    }
    ASSERT_FALSE(view.objectBytes.empty());
    EXPECT_EQ(view.objectBytes.front(), s.streaks * kWholeImage + kSmallObjects);
    EXPECT_EQ(view.objectBytes.back(), s.composite * kWholeImage + kSmallObjects);
    EXPECT_EQ(sim::ModuleMemoryNow().objectBytes, s.kept * kWholeImage + kWidth * 2 * 4);
    pblur->ops->Release(pblur);
  }
}

// Every cap, in steps of the smallest block, from what the module holds
// before the pass to what the pass needs at its peak: the frame completes
// with the image it gives without a cap (the index refused, the scan finds
// the same pixels), or it is refused with E_OUTOFMEMORY (a block, or an
// object the host left empty) or the host raises E_OUTOFMEMORY (an object's
// storage), and then the image is as rendered, the caches are dropped and
// nothing is leaked or left locked.
struct CapScenario {
  const char* name;
  bool depthInFirstFrame;  // else the reference has no depths to reuse
  sim::StorageRefusal refusal;
};

TEST_F(PassMemory, EveryCapCompletesOrRefusesWithTheImageAsRendered) {
  const auto frameOf = [](int n) {
    auto f = std::make_unique<Frame>(kWidth, kHeight, kTile, kTile);
    DrawFrame(n, *f);
    f->Offer(0x80701);
    return f;
  };
  const CapScenario scenarios[] = {
      {"depth test in both frames", true, sim::StorageRefusal::kRaise},
      {"depth test from the second frame", false, sim::StorageRefusal::kRaise},
      {"objects left empty, depth test in both frames", true, sim::StorageRefusal::kEmpty},
      {"objects left empty, depth test from the second frame", false,
       sim::StorageRefusal::kEmpty},
  };
  for (const CapScenario& c : scenarios) {
    SCOPED_TRACE(c.name);
    // Frame 0 stores the reference (leaving its image alone); the cap is on
    // frame 1, a full pass.
    const auto first = frameOf(0);
    const auto runFirst = [&](Pblur* pblur) {
      ParameterBlock& p = sim::ParametersOf(pblur);
      p.depthTest = c.depthInFirstFrame;
      p.trails = 1;
      p.trailFrames = 3.0f;
      RunPass(pblur, nullptr, *first, view_);
      p.depthTest = 1;
    };
    Pblur* clean = NewPblurFromFactory();
    runFirst(clean);
    const std::int64_t before = sim::ModuleMemoryNow().Total();
    sim::ResetMemoryPeak();
    auto cleanFrame = frameOf(1);
    ASSERT_EQ(RunPass(clean, nullptr, *cleanFrame, view_).result, S_OK);
    const std::int64_t need = sim::ModuleMemoryPeak().Total() - before;
    const std::vector<std::uint32_t> blurred = sim::Snapshot(cleanFrame->image);
    clean->ops->Release(clean);
    ASSERT_GT(need, 4 * kWholeImage);  // tags, depth copy, two layers, the index

    const std::vector<std::uint32_t> rendered = sim::Snapshot(frameOf(1)->image);
    const std::int32_t objects = sim::LiveHostObjects();
    const std::int32_t blocks = sim::LiveBlocks();
    int refused = 0, completed = 0;
    for (std::int64_t budget = 0; budget <= need + 7; budget += 8) {
      SCOPED_TRACE(::testing::Message() << "budget " << budget << " of " << need);
      Pblur* pblur = NewPblurFromFactory();
      runFirst(pblur);
      sim::SetModuleMemoryCap(sim::ModuleMemoryNow().Total() + budget, c.refusal);
      auto frame = frameOf(1);
      const std::int32_t locked = sim::LockedTiles();
      const PassOutcome o = RunPass(pblur, nullptr, *frame, view_);
      sim::SetModuleMemoryCap(0);
      const bool outOfMemory = (o.completed && o.result == E_OUTOFMEMORY) ||
                               (!o.completed && o.error == E_OUTOFMEMORY);
      if (outOfMemory) {
        ++refused;
        EXPECT_EQ(sim::Snapshot(frame->image), rendered);
        EXPECT_EQ(pblur->referenceTags, nullptr);
        EXPECT_EQ(pblur->mainStreakLayer, nullptr);
        EXPECT_EQ(pblur->tagBuffer, nullptr);
      } else {
        ++completed;
        EXPECT_TRUE(o.completed);
        EXPECT_EQ(o.result, S_OK);
        EXPECT_EQ(sim::Snapshot(frame->image), blurred);
      }
      if (budget >= need) {
        EXPECT_FALSE(outOfMemory) << "refused with room for its peak";
      }
      EXPECT_EQ(sim::LockedTiles(), locked);
      EXPECT_EQ(sim::ChainHead(), nullptr);
      pblur->ops->Release(pblur);
      frame.reset();
      EXPECT_EQ(sim::LiveHostObjects(), objects);
      EXPECT_EQ(sim::LiveBlocks(), blocks);
      if (::testing::Test::HasFailure()) break;
    }
    // Both ways out were taken.
    EXPECT_GT(refused, 0);
    EXPECT_GT(completed, 0);
  }
}

}  // namespace
}  // namespace qxv::test
