#include "apply/blur/module_blur.h"

#include <algorithm>

#include "apply/blur/host_session.h"
#include "apply/blur/object_scene.h"
#include "apply/passes/previous_positions.h"
#include "sim/rendered_frame.h"
#include "sim/scene.h"

namespace qxv::apply {

// Alpha is blurred by a Pblur of its own with the same settings, over the
// same passes with the alpha as a gray picture, so a streak's coverage
// follows its colour's.
class AlphaPass {
 public:
  AlphaPass(const sim::ModuleExports& module, const ApplySettings& o) : session_(module) {
    session_.Edit(o.edits);
  }
  // The passes' colour is lent for the alpha's gray and given back.
  std::vector<std::uint32_t> Blur(sim::PassImages& passes, const std::vector<std::uint32_t>& alpha,
                                  const ObjectScene& scene, int f, Size tile) {
    if (!frame_) {
      frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, tile.width,
                                                    tile.height);
    }
    std::vector<std::uint32_t> gray(alpha.size());
    for (std::size_t i = 0; i < alpha.size(); ++i) gray[i] = alpha[i] * 0x010101u;
    passes.colour.swap(gray);
    frame_->Load(passes);
    passes.colour.swap(gray);
    session_.Render(scene.List(), *frame_, f);
    std::vector<std::uint32_t> out = frame_->Colour();
    for (std::uint32_t& v : out) v = (v >> 8) & 0xFF;
    return out;
  }
  // The passes as they are (the image is not read by such a pass).
  void Reference(const sim::PassImages& passes, const ObjectScene& scene, int f) {
    frame_->Load(passes);
    session_.RenderReference(scene.List(), *frame_, f);
  }

 private:
  Session session_;
  std::unique_ptr<sim::RenderedFrame> frame_;
};

ModuleBlur::ModuleBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : module_(module), o_(settings), session_(std::make_unique<Session>(module)),
      scene_() {
  session_->Edit(o_.edits);
  scene_ = std::make_unique<ObjectScene>(o_.objects, session_->Parameters().mode == ModeOptIn);
}

ModuleBlur::~ModuleBlur() = default;

ColourCodes ModuleBlur::Blur(FrameInput& in) {
  sim::PassImages& passes = in.passes;
  if (!frame_) {
    frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, o_.tile.width,
                                                  o_.tile.height);
  }
  if (!in.codes.alpha.empty() && !alpha_) alpha_ = std::make_unique<AlphaPass>(module_, o_);
  frame_->Load(passes);
  scene_->Cover(in.objectIndexes, *session_);
  session_->Render(scene_->List(), *frame_, in.number);
  ColourCodes blurred;
  blurred.colour = frame_->Colour();
  if (alpha_) blurred.alpha = alpha_->Blur(passes, in.codes.alpha, *scene_, in.number, o_.tile);
  if (in.tracked) {
    // The next frame's values say where its points lay in this frame, in
    // this frame's pixel coordinates: the module gets the frame again with
    // those as its match values.
    std::vector<std::uint32_t> own1, own2;
    OwnPositions(passes.width, passes.height, &own1, &own2);
    passes.match1.swap(own1);
    passes.match2.swap(own2);
    frame_->Load(passes);
    session_->RenderReference(scene_->List(), *frame_, in.number);
    if (alpha_) alpha_->Reference(passes, *scene_, in.number);
    passes.match1.swap(own1);
    passes.match2.swap(own2);
  }
  return blurred;
}

}  // namespace qxv::apply
