#include "apply/blur/module_blur.h"

#include <algorithm>

#include "apply/blur/alpha_blur.h"
#include "apply/blur/host_session.h"
#include "apply/blur/object_scene.h"
#include "sim/rendered_frame.h"
#include "sim/scene.h"

namespace qxv::apply {

ModuleBlur::ModuleBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : module_(module), o_(settings), session_(std::make_unique<Session>(module)),
      scene_() {
  session_->Edit(o_.edits);
  scene_ = std::make_unique<ObjectScene>(o_.objects, session_->Parameters().mode == ModeOptIn);
}

ModuleBlur::~ModuleBlur() = default;

ColourCodes ModuleBlur::Blur(ConvertedFrame& in) {
  sim::PassImages& passes = in.passes;
  if (!frame_) {
    frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, o_.tile.width,
                                                  o_.tile.height);
  }
  if (!in.codes.alpha.empty() && !alpha_) alpha_ = std::make_unique<AlphaBlur>(module_, o_);
  // The scene first: the alpha's blur on this thread walks it too.
  scene_->Cover(in.objectIndexes, *session_);
  if (alpha_) alpha_->Start(in, *scene_);
  ColourCodes blurred;
  try {
    frame_->Load(passes);
    session_->Render(scene_->List(), *frame_, in.number);
    blurred.colour = frame_->Colour();
    reference_.Run(*session_, *scene_, *frame_, in);
  } catch (...) {
    // The alpha's blur holds the frame: it ends before the frame goes.
    if (alpha_) alpha_->Abandon();
    throw;
  }
  if (alpha_) blurred.alpha = alpha_->Finish();
  return blurred;
}

}  // namespace qxv::apply
