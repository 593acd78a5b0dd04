// The post-render pass as the host drives it, frame after frame.
#include <gtest/gtest.h>

#include "blur/post_render.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

class PassFlow : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    view_ = sim::NewRenderView();
  }
  void TearDown() override {
    ReleaseInterface(view_);
    ModuleTest::TearDown();
  }
  PassOutcome Run(Frame& frame) { return RunPass(pblur_, nullptr, frame, view_); }
  RenderView* view_ = nullptr;
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
