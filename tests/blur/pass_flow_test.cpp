// The post-render pass as the host drives it, frame after frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "blur/post_render.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

class PassFlow : public ModuleTest {
 protected:
  PassOutcome Run(Frame& frame) { return RunPass(pblur_, nullptr, frame, view_); }
  Result RunPassWithoutBuffers() {
    Frame frame(8, 8);
    return pblur_->ops->PostRender(pblur_, nullptr, frame.image, nullptr, view_, nullptr, nullptr);
  }
};

TEST_F(PassFlow, FirstCallStoresOnlySecondCallBlurs) {
  Frame first(32, 16), second(32, 16);
  first.DrawRect(4, 4, 6, 6, 1, 0xFF0000);
  second.DrawRect(8, 4, 6, 6, 1, 0xFF0000);
  const auto rendered1 = sim::Snapshot(first.image);
  PassOutcome o = Run(first);
  ASSERT_TRUE(o.completed);
  EXPECT_EQ(o.result, S_OK);
  EXPECT_EQ(sim::Snapshot(first.image), rendered1) << "store-only pass changed the image";
  ASSERT_NE(pblur_->referenceTags, nullptr);
  EXPECT_EQ(pblur_->mainStreakLayer, nullptr);

  const auto rendered2 = sim::Snapshot(second.image);
  o = Run(second);
  ASSERT_TRUE(o.completed);
  EXPECT_EQ(o.result, S_OK);
  EXPECT_NE(sim::Snapshot(second.image), rendered2) << "full pass painted nothing";
  // The reference now holds the second frame's tags and match values.
  EXPECT_EQ(sim::ReadElement(pblur_->referenceTags, 8, 4) & 0x3FFFFFFFu, 1u);
  EXPECT_EQ(sim::ReadElement(pblur_->referenceMatch1, 9, 4), 1u << 16);
  EXPECT_EQ(sim::ReadElement(pblur_->referenceTags, 4, 4) & 0x3FFFFFFFu, 0u);
}

}  // namespace
}  // namespace qxv::test

namespace qxv::test {
namespace {

// Two frames of an object moving right; `edit` sets the parameters before
// the second frame.
class PassCases : public PassFlow {
 protected:
  void StoreFirst(std::uint32_t w = 24, std::uint32_t h = 12) {
    Frame first(w, h);
    first.DrawRect(3, 3, 5, 5, 1, 0xC08040);
    ASSERT_EQ(Run(first).result, S_OK);
    ASSERT_NE(pblur_->referenceTags, nullptr);
  }
};

TEST_F(PassCases, ImageOfAnotherSizeDropsEverythingAndStoresOnly) {
  StoreFirst();
  for (auto size : {std::pair<std::uint32_t, std::uint32_t>{25, 12}, {24, 11}}) {
    Frame other(size.first, size.second);
    other.DrawRect(6, 3, 5, 5, 1, 0xC08040);
    const auto rendered = sim::Snapshot(other.image);
    EXPECT_EQ(Run(other).result, S_OK);
    EXPECT_EQ(sim::Snapshot(other.image), rendered);
    std::uint32_t w = 0, h = 0, bpp = 0, f = 0, o = 0;
    pblur_->referenceTags->ops->GetInfo(pblur_->referenceTags, &w, &h, &bpp, &f, &o);
    EXPECT_EQ(w, size.first);
    EXPECT_EQ(h, size.second);
    EXPECT_EQ(pblur_->rowScratch, nullptr);
  }
}

TEST_F(PassCases, ModeNoneOrDepthOtherThan32LeavesTheImageAndDropsTheCaches) {
  struct Case {
    const char* name;
    std::uint32_t command;
    std::int16_t mode;
    std::uint32_t depth;
  };
  const Case cases[] = {
      {"mode 1", kCommandDefault, ModeNone, 32},
      {"command NONE", kCommandNone, ModeAll, 32},
      {"24-bit image", kCommandDefault, ModeAll, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StoreFirst();
    pblur_->parameters.commandCode = c.command;
    pblur_->parameters.mode = c.mode;
    Frame second(24, 12, 0, 0, c.depth);
    second.DrawRect(7, 3, 5, 5, 1, 0xC08040);
    const auto rendered = sim::Snapshot(second.image);
    EXPECT_EQ(Run(second).result, S_OK);
    EXPECT_EQ(sim::Snapshot(second.image), rendered);
    EXPECT_EQ(pblur_->referenceTags, nullptr);
    EXPECT_EQ(pblur_->parameters.commandCode, kCommandDefault);
    pblur_->parameters.mode = ModeAll;
  }
}

// The composite writes bits 24-31 as 0 everywhere, also where no streak
// covers the pixel and its colour stays; the host's pixel is read only where
// a layer covers it.
TEST_F(PassCases, EveryPixelLosesBits24To31AndUncoveredOnesKeepTheirColour) {
  Frame first(12, 8), second(12, 8);
  for (Frame* f : {&first, &second}) f->Clear(0xAB203040u);
  first.DrawRect(2, 2, 3, 3, 1, 0xCD00FF00u);
  second.DrawRect(3, 2, 3, 3, 1, 0xCD00FF00u);
  ASSERT_EQ(Run(first).result, S_OK);
  const std::int64_t reads = sim::HostOpCount(sim::HostOp::kReadPixel);
  ASSERT_EQ(Run(second).result, S_OK);
  for (std::uint32_t y = 0; y < 8; ++y) {
    for (std::uint32_t x = 0; x < 12; ++x) {
      EXPECT_EQ(second.Pixel(x, y) >> 24, 0u) << x << "," << y;
    }
  }
  // Far from the object nothing covers the pixel.
  EXPECT_EQ(second.Pixel(11, 7), 0x203040u);
  EXPECT_EQ(second.Pixel(0, 7), 0x203040u);
  // Fewer host reads than pixels: the 9 object pixels, and the pixels the
  // streaks' smoothed layers cover, but not the whole frame.
  EXPECT_LT(sim::HostOpCount(sim::HostOp::kReadPixel) - reads, 12 * 8);
}

TEST_F(PassCases, CommandAndNormalisationAreWrittenBackIntoTheBlock) {
  ParameterBlock& p = pblur_->parameters;
  p.commandCode = kCommandAll;
  p.mode = ModeOptIn;
  p.trailFrames = 2.7f;
  p.activeTrailFrames = -1.5f;
  p.echoCount = 0.5f;
  p.reservedFlag = 9;
  Frame first(16, 8);
  EXPECT_EQ(Run(first).result, S_OK);
  EXPECT_EQ(p.commandCode, kCommandDefault);
  EXPECT_EQ(p.mode, ModeAll);
  EXPECT_EQ(p.trailFrames, 2.0f);
  EXPECT_EQ(p.activeTrailFrames, -2.0f);
  EXPECT_EQ(p.echoCount, 1.0f);
  EXPECT_EQ(p.reservedFlag, 0);
  EXPECT_EQ(p.resetPending, 0);
  p.echoCount = 3.9f;
  EXPECT_EQ(Run(first).result, S_OK);
  EXPECT_EQ(p.echoCount, 3.0f);
}

TEST_F(PassCases, LayersSurviveByTrailSettings) {
  struct Case {
    const char* name;
    std::uint8_t trails;
    float trailFrames;
    bool mainKept;
    bool secondaryKept;
  };
  const Case cases[] = {
      {"trails off, 0 frames", 0, 0.0f, false, false},
      {"trails on, 4 frames", 1, 4.0f, true, true},
      {"trails off, 4 frames", 0, 4.0f, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pblur_->parameters.trails = c.trails;
    pblur_->parameters.trailFrames = c.trailFrames;
    StoreFirst();
    Frame second(24, 12);
    second.DrawRect(7, 3, 5, 5, 1, 0xC08040);
    EXPECT_EQ(Run(second).result, S_OK);
    EXPECT_EQ(pblur_->mainStreakLayer != nullptr, c.mainKept);
    EXPECT_EQ(pblur_->secondaryStreakLayer != nullptr, c.secondaryKept);
    EXPECT_NE(pblur_->rowScratch, nullptr);
    pblur_->parameters.resetPending = 1;
  }
}

TEST_F(PassCases, ProgressIconPaintedPerGlyphAndShownPerTile) {
  StoreFirst(32, 32);
  Frame tiled(32, 32, 16, 16);
  tiled.DrawRect(7, 3, 5, 5, 1, 0xC08040);
  sim::ClearShownRegions(view_);
  EXPECT_EQ(Run(tiled).result, S_OK);
  const auto& shown = sim::ShownRegions(view_);
  // Four tiles, icon then finished tile, in both phases.
  ASSERT_EQ(shown.size(), 16u);
  void* icon = shown[0].image;
  EXPECT_NE(icon, static_cast<void*>(tiled.image));
  for (std::size_t i = 0; i < shown.size(); i += 2) {
    EXPECT_EQ(shown[i].image, icon);
    EXPECT_EQ(shown[i + 1].image, static_cast<void*>(tiled.image));
    EXPECT_EQ(shown[i].destination.right - shown[i].destination.left, 16);
    EXPECT_EQ(shown[i + 1].source.top, shown[i + 1].destination.top);
  }
  EXPECT_EQ(shown[2].destination.left, 16);  // tiles in order
}

// Per tile of the streak phase: the next tile of the image and of every
// view, then the image tile's rectangle and the icon over it, then the
// locks, image first.
TEST_F(PassCases, StreakPhaseTakesEveryTileBeforeShowingAndLocking) {
  using Op = sim::HostOp;
  const std::vector<Op> perTile = {Op::kNextTile,    Op::kNextTile,  Op::kNextTile,
                                   Op::kNextTile,    Op::kGetTileRect, Op::kShowRegion,
                                   Op::kLockTile,    Op::kLockTile,  Op::kLockTile,
                                   Op::kLockTile};
  pblur_->parameters.secondaryLayer = 1;
  StoreFirst(32, 32);
  Frame tiled(32, 32, 16, 16);
  tiled.DrawRect(7, 3, 5, 5, 1, 0xC08040);
  std::vector<Op> ops;
  sim::RecordHostOps(&ops);
  EXPECT_EQ(Run(tiled).result, S_OK);
  sim::RecordHostOps(nullptr);
  int tiles = 0;
  for (auto at = ops.begin();
       (at = std::search(at, ops.end(), perTile.begin(), perTile.end())) != ops.end(); ++at) {
    ++tiles;
  }
  EXPECT_EQ(tiles, 4);
}

}  // namespace
}  // namespace qxv::test

namespace qxv::test {
namespace {

class PassBadInput : public PassCases {};

// Without its rectangle blocks the pass can do nothing with the image, but
// the block it hands back is normalised, the reset taken and the scene kept,
// exactly as on a pass that goes on.
TEST_F(PassCases, RectanglesThatCannotBeHadStillLeaveTheBlockNormalised) {
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

TEST_F(PassBadInput, MissingOrForeignBufferEntryIsRefused) {
  for (int kind : {kObjectIndexBuffer, kMatch1Buffer, kMatch2Buffer, kAlternateBuffer}) {
    for (bool foreign : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "entry " << kind << (foreign ? " foreign" : " missing"));
      StoreFirst();
      Frame second(24, 12);
      second.DrawRect(7, 3, 5, 5, 1, 0xC08040);
      Unknown* opaque = foreign ? sim::NewOpaqueObject() : nullptr;
      second.set[kind] = opaque;
      const auto rendered = sim::Snapshot(second.image);
      EXPECT_EQ(Run(second).result, E_INVALIDARG);
      EXPECT_EQ(sim::Snapshot(second.image), rendered);
      EXPECT_EQ(pblur_->referenceTags, nullptr);
      if (opaque) ReleaseInterface(opaque);
    }
  }
  // With depth test on, entry 0 is needed as well.
  pblur_->parameters.depthTest = 1;
  Frame frame(24, 12);
  frame.set[kDepthBuffer] = nullptr;
  EXPECT_EQ(Run(frame).result, E_INVALIDARG);
  // A null buffer set is every entry missing.
  EXPECT_EQ(RunPassWithoutBuffers(), E_INVALIDARG);
}

TEST_F(PassBadInput, ImagesTheCursorCannotAddressAreRefused) {
  for (auto size : {std::pair<std::uint32_t, std::uint32_t>{0, 12}, {24, 0}, {32001, 1}}) {
    SCOPED_TRACE(::testing::Message() << size.first << " x " << size.second);
    Frame frame(size.first, size.second);
    EXPECT_EQ(Run(frame).result, E_INVALIDARG);
    EXPECT_EQ(pblur_->referenceTags, nullptr);
  }
}

// A host reporting a size past the 16-bit range is refused before a pixel is
// touched, whatever it stores.
TEST_F(PassBadInput, ClaimedSizesPastTheLimitAreRefused) {
  for (auto size : {std::pair<std::uint32_t, std::uint32_t>{70000, 12}, {24, 65536},
                    {0xFFFFFFFFu, 0xFFFFFFFFu}}) {
    SCOPED_TRACE(::testing::Message() << size.first << " x " << size.second);
    Frame frame(24, 12);
    frame.DrawRect(2, 2, 6, 4, 1, 0xE08040);
    const std::vector<std::uint32_t> rendered = sim::Snapshot(frame.image);
    sim::ClaimSize(frame.image, size.first, size.second);
    EXPECT_EQ(Run(frame).result, E_INVALIDARG);
    EXPECT_EQ(sim::Snapshot(frame.image), rendered);
  }
}

}  // namespace
}  // namespace qxv::test
