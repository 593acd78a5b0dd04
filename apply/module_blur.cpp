#include "apply/module_blur.h"

#include <algorithm>

#include "apply/host_session.h"
#include "sim/rendered_frame.h"
#include "sim/scene.h"

namespace qxv::apply {

// The user's renders come without a scene: one top-level node per object
// number, none with a Weight, so every object counts as having none.
class FlatScene {
 public:
  FlatScene() : scene_(sim::NewScene()) {}
  ~FlatScene() { sim::DestroyScene(scene_); }
  FlatScene(const FlatScene&) = delete;
  FlatScene& operator=(const FlatScene&) = delete;

  void Cover(std::uint32_t largestIndex) {
    while (count_ < largestIndex) {
      sim::AddRenderedObject(scene_, sim::AddNode(scene_, -1));
      ++count_;
    }
  }
  SceneObjectList* List() const { return sim::ObjectList(scene_); }

 private:
  sim::Scene* scene_;
  std::uint32_t count_ = 0;
};

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
                                  const FlatScene& scene, int f, Size tile) {
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
      scene_(std::make_unique<FlatScene>()) {
  session_->Edit(o_.edits);
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
  scene_->Cover(*std::max_element(passes.index.begin(), passes.index.end()));
  session_->Render(scene_->List(), *frame_, in.number);
  ColourCodes blurred;
  blurred.colour = frame_->Colour();
  if (alpha_) blurred.alpha = alpha_->Blur(passes, in.codes.alpha, *scene_, in.number, o_.tile);
  return blurred;
}

}  // namespace qxv::apply
