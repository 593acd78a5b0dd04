#include "apply/blur/alpha_blur.h"

#include <algorithm>
#include <string>
#include <utility>

#include "apply/blur/host_session.h"
#include "apply/blur/reference_pass.h"
#include "sim/buffers.h"
#include "sim/own_host.h"
#include "sim/rendered_frame.h"

namespace qxv::apply {

// One Pblur blurring alpha frame after frame on the thread it was made on.
class AlphaPass {
 public:
  AlphaPass(const sim::ModuleExports& module, const ApplySettings& o)
      : o_(o), session_(module) {
    session_.Edit(o.edits);
  }
  const Session& Host() const { return session_; }
  bool OptIn() const { return session_.Parameters().mode == ModeOptIn; }

  std::vector<std::uint32_t> Blur(const ConvertedFrame& in, const ObjectScene& scene) {
    const sim::PassImages& passes = in.passes;
    if (!frame_) {
      frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, o_.tile.width,
                                                    o_.tile.height);
    }
    if (PassesOver(in)) {
      // The frame only becomes the next one's reference, as its blur
      // would have left it.
      if (in.tracked) {
        reference_.Run(session_, scene, *frame_, in);
      } else {
        frame_->Load(passes);
        session_.RenderReference(scene.List(), *frame_, in.number);
      }
      return in.codes.alpha;
    }
    gray_.resize(in.codes.alpha.size());
    for (std::size_t i = 0; i < gray_.size(); ++i) gray_[i] = in.codes.alpha[i] * 0x010101u;
    frame_->Load(passes);
    sim::Fill(frame_->image, gray_);
    session_.Render(scene.List(), *frame_, in.number);
    std::vector<std::uint32_t> out = frame_->Colour();
    for (std::uint32_t& v : out) v = (v >> 8) & 0xFF;
    reference_.Run(session_, scene, *frame_, in);
    return out;
  }

 private:
  // An opaque frame's alpha stays opaque however it is blurred, so its blur
  // is passed over: for most renders, whose film is not transparent, the
  // alpha then costs little beside the colour. Not with trails or jitter,
  // whose state a full pass carries on from frame to frame.
  bool PassesOver(const ConvertedFrame& in) const {
    if (session_.KeepsLayers() || session_.Parameters().jitter != 0) return false;
    return std::all_of(in.codes.alpha.begin(), in.codes.alpha.end(),
                       [](std::uint32_t a) { return a == 255u; });
  }

  const ApplySettings& o_;
  Session session_;
  std::unique_ptr<sim::RenderedFrame> frame_;
  std::vector<std::uint32_t> gray_;  // kept from frame to frame
  ReferencePass reference_;
};

AlphaBlur::AlphaBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : o_(settings) {
  std::string why;
  if (!o_.edits.jitter.value_or(false) && sim::LoadModuleCopy(module, &copy_, &why)) {
    thread_ = std::thread([this] { Work(); });
  } else {
    here_ = std::make_unique<AlphaPass>(module, settings);
  }
}

AlphaBlur::~AlphaBlur() {
  if (thread_.joinable()) {
    jobs_.Finish();
    results_.Stop();
    thread_.join();
    sim::UnloadModuleFile(&copy_);
  }
}

void AlphaBlur::Work() {
  sim::OwnHost host;
  std::exception_ptr failed;
  std::unique_ptr<AlphaPass> pass;
  std::unique_ptr<ObjectScene> scene;
  try {
    pass = std::make_unique<AlphaPass>(copy_, o_);
    scene = std::make_unique<ObjectScene>(o_.objects, pass->OptIn());
  } catch (...) {
    failed = std::current_exception();
  }
  const ConvertedFrame* frame = nullptr;
  while (jobs_.Take(&frame)) {
    Result result;
    try {
      if (failed) std::rethrow_exception(failed);
      scene->Cover(frame->objectIndexes, pass->Host());
      result.alpha = pass->Blur(*frame, *scene);
    } catch (...) {
      result.error = std::current_exception();
    }
    if (!results_.Give(std::move(result))) break;
  }
  // Everything made on this host goes before the host does.
  scene.reset();
  pass.reset();
}

void AlphaBlur::Start(const ConvertedFrame& frame, const ObjectScene& colourScene) {
  if (here_) {
    frame_ = &frame;
    scene_ = &colourScene;
    return;
  }
  jobs_.Give(&frame);
}

void AlphaBlur::Abandon() {
  Result ignored;
  if (!here_) results_.Take(&ignored);
}

std::vector<std::uint32_t> AlphaBlur::Finish() {
  if (here_) return here_->Blur(*frame_, *scene_);
  Result result;
  results_.Take(&result);
  if (result.error) std::rethrow_exception(result.error);
  return std::move(result.alpha);
}

}  // namespace qxv::apply
