// A 32-bit host's free address space comes in pieces, its largest usually
// far smaller than the total free. A host that gives no block above a few
// kilobytes, though memory enough in all, gets the same pixels as one
// without the cap: the match index is built in blocks no larger than the
// cap, not refused (which would leave the pass to the far slower scan).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/memory_ledger.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kWidth = 96, kHeight = 64, kTile = 16;

// Two objects whose index parts outgrow every cap below, and a small one.
void DrawFrame(int n, Frame& f) {
  f.Clear(0x182028);
  f.DrawRect(4 + 3 * n, 3 + n, 60, 40, 1, 0xE06020, 80);
  f.DrawRect(50 - 2 * n, 30, 40, 30, 2, 0x20A0E0, 60, 1);
  f.DrawRect(10, 50 - n, 6, 5, 3, 0xC0C020, 40);
}

struct CapRun {
  std::vector<std::uint32_t> image, mainLayer, secondaryLayer;
  std::int64_t peakBlockBytes = 0;  // blocks held at once, at the pass's peak
  std::uint32_t largestBlock = 0;
};

class PassBlockCap : public ModuleTest {
 protected:
  // Three frames (a reference, then two blurred), every block above `cap`
  // refused (0: none).
  CapRun Run(std::uint32_t cap) {
    Pblur* pblur = NewPblurFromFactory();
    ParameterBlock& p = sim::ParametersOf(pblur);
    p.depthTest = 1;
    p.trails = 1;  // the layers outlive the pass, to be compared
    p.trailFrames = 3.0f;
    CapRun out;
    for (int n = 0; n < 3; ++n) {
      Frame frame(kWidth, kHeight, kTile, kTile);
      DrawFrame(n, frame);
      frame.Offer(sim::NeededBuffersOf(pblur));
      sim::ResetMemoryPeak();
      sim::SetLargestBlockCap(cap);
      const PassOutcome o = RunPass(pblur, nullptr, frame, view_);
      sim::SetLargestBlockCap(0);
      EXPECT_TRUE(o.completed);
      EXPECT_EQ(o.result, S_OK);
      out.image = sim::Snapshot(frame.image);
      out.peakBlockBytes = std::max(out.peakBlockBytes, sim::ModuleMemoryPeak().blockBytes);
      out.largestBlock = std::max(out.largestBlock, sim::LargestBlockGiven());
    }
    out.mainLayer = sim::Snapshot(pblur->mainStreakLayer);
    out.secondaryLayer = sim::Snapshot(pblur->secondaryStreakLayer);
    pblur->ops->Release(pblur);
    return out;
  }
};

TEST_F(PassBlockCap, IndexBuiltInBlocksUnderTheCapGivesTheSamePixels) {
  const CapRun uncapped = Run(0);
  for (const std::uint32_t cap : {4096u, 16384u, 65536u}) {
    SCOPED_TRACE(::testing::Message() << "no block above " << cap << " bytes");
    // Without a cap the index comes in one block larger than this cap.
    ASSERT_GT(uncapped.largestBlock, cap);
    const CapRun capped = Run(cap);
    EXPECT_EQ(capped.image, uncapped.image);
    EXPECT_EQ(capped.mainLayer, uncapped.mainLayer);
    EXPECT_EQ(capped.secondaryLayer, uncapped.secondaryLayer);
    EXPECT_LE(capped.largestBlock, cap);
    // The index was built, in several blocks, rather than refused.
    EXPECT_GT(capped.peakBlockBytes, static_cast<std::int64_t>(cap));
  }
}

}  // namespace
}  // namespace qxv::test
