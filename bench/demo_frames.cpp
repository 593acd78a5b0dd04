#include "bench/demo_frames.h"

#include "sim/driver.h"
#include "sim/linked_module.h"
#include "tools/demo_command.h"
#include "tools/demo_scene.h"
#include "apply/blur/host_session.h"

namespace qxv::bench {
namespace {

// The middle of the demo's eight frames, where everything is in motion.
constexpr int kFrames = 8;
constexpr int kFirstFrame = 4;
const apply::Size kTile = {64, 64};

}  // namespace

struct DemoFrames::State {
  apply::Size size;
  apply::Session session{sim::LinkedModule()};
  std::unique_ptr<tool::DemoScene> scene;
  std::unique_ptr<sim::RenderedFrame> frame;
  sim::PassImages passes[2];
};

DemoFrames::DemoFrames(std::uint32_t width, std::uint32_t height) : s_(new State) {
  s_->size = apply::Size{width, height};
  s_->session.Edit(tool::DemoEdits(tool::ParameterEdits{}));
  s_->scene.reset(new tool::DemoScene(s_->session, s_->size));
  s_->frame.reset(new sim::RenderedFrame(width, height, kTile.width, kTile.height));
  s_->frame->Offer(s_->session.NeededBuffers());
  for (int i = 0; i < 2; ++i) s_->scene->Render(kFirstFrame + i, kFrames, &s_->passes[i]);
}

DemoFrames::~DemoFrames() = default;

std::uint32_t DemoFrames::Width() const { return s_->size.width; }
std::uint32_t DemoFrames::Height() const { return s_->size.height; }

std::uint32_t DemoFrames::Tiles() const {
  return ((s_->size.width + kTile.width - 1) / kTile.width) *
         ((s_->size.height + kTile.height - 1) / kTile.height);
}

std::uint64_t DemoFrames::ObjectPixels(int which) const {
  std::uint64_t n = 0;
  for (std::uint32_t v : s_->passes[which].index) n += v != 0u;
  return n;
}

Pblur* DemoFrames::NewPblur() const {
  Pblur* pblur = static_cast<Pblur*>(sim::CreatePostRenderer(sim::LinkedModule()));
  ParameterBlock& p = sim::ParametersOf(pblur);
  p = s_->session.Parameters();
  p.resetPending = 0;
  return pblur;
}

void DemoFrames::Load(int which) { s_->frame->Load(s_->passes[which]); }

Result DemoFrames::RenderLoaded(Pblur* pblur, RenderView* view) {
  const sim::FrameOutcome o = sim::RenderFrame(pblur, s_->scene->List(), *s_->frame, view);
  return o.completed ? o.result : E_FAIL;
}

Result DemoFrames::Render(Pblur* pblur, int which, RenderView* view) {
  Load(which);
  return RenderLoaded(pblur, view);
}

}  // namespace qxv::bench
