#include "apply/apply_run.h"

#include <algorithm>
#include <memory>

#include "sim/scene.h"
#include "apply/apply_frames.h"
#include "apply/folders.h"
#include "apply/frame_pattern.h"
#include "sim/rendered_frame.h"
#include "apply/host_session.h"
#include "apply/image_file.h"
#include "apply/output_images.h"

namespace qxv::apply {
namespace {

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
  std::vector<std::uint32_t> Blur(sim::PassImages passes, const std::vector<std::uint32_t>& alpha,
                                  const FlatScene& scene, int f, Size tile) {
    if (!frame_) frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, tile.width, tile.height);
    for (std::size_t i = 0; i < alpha.size(); ++i) passes.colour[i] = alpha[i] * 0x010101u;
    frame_->Load(passes);
    session_.Render(scene.List(), *frame_, f);
    std::vector<std::uint32_t> out = frame_->Colour();
    for (std::uint32_t& v : out) v = (v >> 8) & 0xFF;
    return out;
  }

 private:
  Session session_;
  std::unique_ptr<sim::RenderedFrame> frame_;
};

}  // namespace

RunPlan RunApply(const ApplySettings& o, const sim::ModuleExports& module,
                 const FrameProgress& progress) {
  CheckWritable("--output", FrameName(o.output, 0));
  const RunPlan plan = PlanFrames(o);
  const FrameRange range = plan.written;
  Session session(module);
  session.Edit(o.edits);
  std::unique_ptr<AlphaPass> alphaPass;
  FlatScene scene;
  FrameReader reader(o);
  sim::PassImages passes;
  std::vector<std::uint32_t> alpha;
  std::unique_ptr<sim::RenderedFrame> frame;
  const int total = range.last - plan.blurFrom + 1;
  if (progress) progress(0, total);
  for (int f = plan.trackFrom; f < plan.blurFrom; ++f) reader.Track(f);
  for (int f = plan.blurFrom; f <= range.last; ++f) {
    reader.Read(f, &passes, &alpha);
    if (!frame) frame = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, o.tile.width, o.tile.height);
    if (!alpha.empty() && !alphaPass) alphaPass = std::make_unique<AlphaPass>(module, o);
    frame->Load(passes);
    scene.Cover(*std::max_element(passes.index.begin(), passes.index.end()));
    session.Render(scene.List(), *frame, f);
    if (alphaPass) alpha = alphaPass->Blur(passes, alpha, scene, f, o.tile);
    if (f >= range.first) {  // the lead-in only brings the module's state up to date
      const std::string target = FrameName(o.output, f);
      EnsureFolder(FolderOf(target), "--output");
      WriteImage(target, ColourImage(frame->Colour(), alpha, passes.width, passes.height,
                                     StoresFloat(target)));
    }
    if (progress) progress(f - plan.blurFrom + 1, total);
  }
  return plan;
}

}  // namespace qxv::apply
