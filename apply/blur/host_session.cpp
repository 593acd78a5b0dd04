#include "apply/blur/host_session.h"

#include <cstdio>
#include <string>

#include "sim/driver.h"
#include "sim/view.h"
#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

std::string Hex(Result r) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(r));
  return text;
}

template <typename Object>
Object* Made(Object* object, Result r, const char* what) {
  if (!object) ModuleError(std::string("module: cannot create ") + what + " (" + Hex(r) + ")");
  return object;
}

}  // namespace

Session::Session(const sim::ModuleExports& module) : module_(module) {
  sim::HandOverShell(module_);
  Result r = S_OK;
  renderer_ = Made(sim::CreatePostRenderer(module_, &r), r, "Pblur");
  view_ = sim::NewRenderView();
}

Session::~Session() {
  ReleaseInterface(view_);
  renderer_->ops->Release(renderer_);
}

void Session::Edit(const ParameterEdits& e) {
  ParameterBlock& p = sim::ParametersOf(renderer_);
  if (e.streakLength) p.streakLength = *e.streakLength;
  if (e.mainStrength) p.mainStrength = *e.mainStrength;
  if (e.altLength) p.altLength = *e.altLength;
  if (e.altStrength) p.altStrength = *e.altStrength;
  if (e.echoCount) p.echoCount = *e.echoCount;
  if (e.reverseLength) p.reverseLength = *e.reverseLength;
  if (e.jitter) p.jitter = *e.jitter ? 1 : 0;
  if (e.depthTest) p.depthTest = *e.depthTest ? 1 : 0;
  if (e.secondaryLayer) p.secondaryLayer = *e.secondaryLayer ? 1 : 0;
  if (e.trailFrames) {
    p.trails = *e.trailFrames > 0.0f ? 1 : 0;
    p.trailFrames = *e.trailFrames;
  }
  if (e.modeCommand) p.commandCode = *e.modeCommand;
  sim::ApplyEdits(renderer_);
}

const ParameterBlock& Session::Parameters() const { return sim::ParametersOf(renderer_); }

bool Session::KeepsLayers() const { return static_cast<int>(Parameters().trailFrames) != 0; }

std::uint32_t Session::NeededBuffers() const { return sim::NeededBuffersOf(renderer_); }

Unknown* Session::NewWeight(const WeightValues& values) const {
  Result r = S_OK;
  GenericData* weight = Made(sim::CreateWeight(module_, &r), r, "Weight");
  WeightData& data = sim::WeightDataOf(weight);
  data.primaryWeight = values.primary;
  data.secondaryWeight = values.secondary;
  data.groupChildren = values.groupChildren ? 1 : 0;
  weight->ops->ApplyData(weight);
  return AsUnknown(weight);
}

void Session::Render(SceneObjectList* scene, sim::RenderedFrame& frame, int frameNumber) {
  frame.Offer(NeededBuffers());
  const sim::FrameOutcome outcome = sim::RenderFrame(renderer_, scene, frame, view_);
  sim::ClearShownRegions(view_);
  const std::string where = "frame " + std::to_string(frameNumber) + ": ";
  if (!outcome.completed) {
    ModuleError(where + "the module raised a host failure (error " +
               std::to_string(outcome.error) + ", detail " + std::to_string(outcome.detail) + ")");
  }
  if (outcome.result != S_OK) ModuleError(where + "PostRender answered " + Hex(outcome.result));
}

void Session::RenderReference(SceneObjectList* scene, sim::RenderedFrame& frame,
                              int frameNumber) {
  ParameterBlock& p = sim::ParametersOf(renderer_);
  if (!KeepsLayers()) {
    p.resetPending = 1;
    Render(scene, frame, frameNumber);
    return;
  }
  const ParameterBlock kept = p;
  const auto restore = [&] {
    p.streakLength = kept.streakLength;
    p.altLength = kept.altLength;
    p.reverseLength = kept.reverseLength;
    p.trailFrames = kept.trailFrames;
  };
  p.streakLength = p.altLength = p.reverseLength = 0.0f;
  p.trailFrames = 1.0f;
  try {
    Render(scene, frame, frameNumber);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

}  // namespace qxv::apply
