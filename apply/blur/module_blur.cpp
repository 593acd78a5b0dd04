#include "apply/blur/module_blur.h"

#include <algorithm>

#include "apply/blur/host_session.h"
#include "apply/blur/object_scene.h"
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

ColourCodes ModuleBlur::Blur(ConvertedFrame& in) {
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
  return blurred;
}

}  // namespace qxv::apply
