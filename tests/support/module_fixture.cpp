#include "tests/support/module_fixture.h"

#include "module/counters.h"
#include "module/host_bridge.h"
#include "sim/linked_module.h"

namespace qxv::test {

void ModuleTest::SetUp() {
  sim::ResetHost();
  sim::ResetBadAccesses();
  sim::HandOverShell(sim::LinkedModule());
  view_ = sim::NewRenderView();
  baselineObjects_ = sim::LiveHostObjects();
  baselineBlocks_ = sim::LiveBlocks();
  pblur_ = NewPblurFromFactory();
}

void ModuleTest::TearDown() {
  if (pblur_) pblur_->ops->Release(pblur_);
  ReleaseInterface(view_);
  baselineObjects_ -= 1;
  EXPECT_EQ(sim::LiveHostObjects(), baselineObjects_) << "host objects leaked";
  EXPECT_EQ(sim::LiveBlocks(), baselineBlocks_) << "blocks leaked";
  EXPECT_EQ(sim::LockedTiles(), 0);
  EXPECT_EQ(sim::BadAccesses(), 0);
  EXPECT_EQ(sim::ChainHead(), nullptr);
  EXPECT_EQ(liveObjects, 0);
}

Pblur* ModuleTest::NewPblurFromFactory() {
  Result result = E_FAIL;
  PostRenderer* renderer = sim::CreatePostRenderer(sim::LinkedModule(), &result);
  EXPECT_EQ(result, S_OK);
  return static_cast<Pblur*>(renderer);
}

}  // namespace qxv::test
