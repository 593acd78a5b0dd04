// A fresh simulated host with the module's shell handed over, and helpers
// to drive the module as the host does.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "blur/pblur.h"
#include "host/buffer_set.h"
#include "host/identifiers.h"
#include "host/exports.h"
#include "sim/buffers.h"
#include "sim/driver.h"
#include "sim/host.h"
#include "sim/objects.h"
#include "sim/scene.h"
#include "sim/view.h"

namespace qxv::test {

// The previous frame's counters, so each test starts from a clean host.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A Pblur made through the exports and its factory, one reference.
  Pblur* NewPblurFromFactory();
  Pblur* pblur_ = nullptr;
  // Where passes show their progress.
  RenderView* view_ = nullptr;
  std::int32_t baselineObjects_ = 0;
  std::int32_t baselineBlocks_ = 0;
};

// What the host renders for one frame, and what became of its PostRender.
using Frame = sim::RenderedFrame;
using PassOutcome = sim::FrameOutcome;

// PostRender below a host frame; a failure that reaches it is reported.
inline PassOutcome RunPass(Pblur* pblur, SceneObjectList* scene, Frame& frame, RenderView* view) {
  return sim::RenderFrame(pblur, scene, frame, view);
}

}  // namespace qxv::test
