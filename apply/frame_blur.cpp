#include "apply/frame_blur.h"

#include <algorithm>

#include "apply/apply_error.h"
#include "apply/output_images.h"

namespace qxv::apply {

// Alpha is blurred by a Pblur of its own with the same settings, over the
// same passes with the alpha as a gray picture, so a streak's coverage
// follows its colour's.
class FrameBlur::AlphaPass {
 public:
  AlphaPass(const sim::ModuleExports& module, const ApplySettings& o) : session_(module) {
    session_.Edit(o.edits);
  }
  std::vector<std::uint32_t> Blur(sim::PassImages passes, const std::vector<std::uint32_t>& alpha,
                                  const ObjectScene& scene, int f, Size tile) {
    if (!frame_) {
      frame_ = std::make_unique<sim::RenderedFrame>(passes.width, passes.height, tile.width,
                                                    tile.height);
    }
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

FrameBlur::FrameBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : module_(module), settings_(settings), session_(module) {
  session_.Edit(settings_.edits);
  scene_ = std::make_unique<ObjectScene>(settings_.objects, session_.Parameters().mode == ModeOptIn);
}

FrameBlur::~FrameBlur() = default;

void FrameBlur::CheckShape(const FrameInputs& in) {
  const bool hasAlpha = in.colour.names.size() == 4;
  if (!started_) {
    width_ = in.colour.width;
    height_ = in.colour.height;
    hasAlpha_ = hasAlpha;
  }
  auto size = [](std::uint32_t w, std::uint32_t h) {
    return std::to_string(w) + "x" + std::to_string(h);
  };
  if (in.colour.width != width_ || in.colour.height != height_) {
    InputError("colour: " + size(in.colour.width, in.colour.height) + ", but the first frame is " +
               size(width_, height_));
  }
  if (hasAlpha != hasAlpha_) {
    InputError(std::string("colour: ") + (hasAlpha ? "has alpha, but the first frame has none"
                                                   : "has no alpha, but the first frame has"));
  }
  const std::pair<const char*, const ChannelImage*> passes[] = {
      {"index", &in.index},
      {"uv", in.uv ? &*in.uv : nullptr},
      {"vector", in.vector ? &*in.vector : nullptr},
      {"match1", in.match1 ? &*in.match1 : nullptr},
      {"match2", in.match2 ? &*in.match2 : nullptr},
      {"depth", in.depth ? &*in.depth : nullptr},
      {"alternate", in.alternate ? &*in.alternate : nullptr}};
  for (const auto& [name, pass] : passes) {
    if (pass && (pass->width != width_ || pass->height != height_)) {
      InputError(std::string(name) + ": " + size(pass->width, pass->height) +
                 ", but the colour is " + size(width_, height_));
    }
  }
  if (!in.uv && !in.vector && !(in.match1 && in.match2)) {
    UsageError("no source of match values: give match values, uv or vector");
  }
}

void FrameBlur::MatchValuesOf(const FrameInputs& in, sim::PassImages* p) {
  if (in.uv) {
    UvMatchValues(*in.uv, p->index, &p->match1, &p->match2);
  } else if (in.vector) {
    const ChannelImage& v = *in.vector;
    Motion motion;
    motion.dx.resize(v.Pixels());
    motion.dy.resize(v.Pixels());
    // The vectors' convention has y up; the module's rows run down.
    for (std::size_t i = 0; i < v.Pixels(); ++i) {
      motion.dx[i] = v.At(i, 0) * settings_.vectorScaleX;
      motion.dy[i] = -v.At(i, 1) * settings_.vectorScaleY;
    }
    tracker_.Next(width_, height_, p->index, motion, &p->match1, &p->match2);
  } else {
    p->match1 = MatchValues(*in.match1);
    p->match2 = MatchValues(*in.match2);
  }
}

OutputImage FrameBlur::Frame(const FrameInputs& in, int f, bool linear) {
  CheckShape(in);
  started_ = true;
  sim::PassImages& p = passes_;
  p.width = width_;
  p.height = height_;
  ColourValues(in.colour, &p.colour, &alpha_);
  p.index = objects_.Number(in.index);
  MatchValuesOf(in, &p);
  p.depth.clear();
  p.alternate.clear();
  if (in.depth) p.depth = DepthValues(*in.depth);
  if (in.alternate) p.alternate = AlternateValues(*in.alternate);

  const Size tile = settings_.tile;
  if (!frame_) frame_ = std::make_unique<sim::RenderedFrame>(width_, height_, tile.width, tile.height);
  if (!alpha_.empty() && !alphaPass_) alphaPass_ = std::make_unique<AlphaPass>(module_, settings_);
  frame_->Load(p);
  scene_->Cover(objects_, session_);
  session_.Render(scene_->List(), *frame_, f);
  if (alphaPass_) alpha_ = alphaPass_->Blur(p, alpha_, *scene_, f, tile);
  return ColourImage(frame_->Colour(), alpha_, width_, height_, linear);
}

}  // namespace qxv::apply
