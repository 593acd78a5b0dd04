#include "apply/blur/frame_blur.h"

#include <string>
#include <utility>

#include "apply/apply_error.h"
#include "apply/blur/shutter_frame.h"
#include "apply/colour/colour_frame.h"

namespace qxv::apply {
namespace {

std::string SizeText(std::uint32_t w, std::uint32_t h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

FrameBlur::FrameBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : o_(settings), converter_(settings), blur_(module, settings) {}

void FrameBlur::CheckShape(const FrameInputs& in) const {
  const ChannelImage& c = in.colour;
  const bool hasAlpha = c.names.size() == 4;
  if (frames_ > 0 && (c.width != width_ || c.height != height_)) {
    InputError("colour: " + SizeText(c.width, c.height) + ", but the first frame is " +
               SizeText(width_, height_));
  }
  if (frames_ > 0 && hasAlpha != hasAlpha_) {
    InputError(std::string("colour: ") + (hasAlpha ? "has alpha, but the first frame has none"
                                                   : "has no alpha, but the first frame has"));
  }
  const bool shutter = o_.look == Look::Shutter;
  const std::pair<const char*, const ChannelImage*> passes[] = {
      {"index", shutter && in.index.Pixels() == 0 ? nullptr : &in.index},
      {"uv", in.uv ? &*in.uv : nullptr},
      {"vector", in.vector ? &*in.vector : nullptr},
      {"match1", in.match1 ? &*in.match1 : nullptr},
      {"match2", in.match2 ? &*in.match2 : nullptr},
      {"depth", in.depth ? &*in.depth : nullptr},
      {"alternate", in.alternate ? &*in.alternate : nullptr}};
  for (const auto& [name, pass] : passes) {
    if (pass && (pass->width != c.width || pass->height != c.height)) {
      InputError(std::string(name) + ": " + SizeText(pass->width, pass->height) +
                 ", but the colour is " + SizeText(c.width, c.height));
    }
  }
  if (shutter) {
    if (!in.vector) UsageError("missing vector: the shutter look follows the motion vectors");
    if (in.uv || in.match1) UsageError("uv and match: the streak look's, not the shutter look's");
    return;
  }
  const int sources = int{in.uv.has_value()} + int{in.vector.has_value()} +
                      int{in.match1.has_value() && in.match2.has_value()};
  if (sources != 1) {
    UsageError(std::string(sources == 0 ? "missing" : "more than one") +
               " source of match values: give match values, uv or vector");
  }
}

OutputImage FrameBlur::Frame(FrameInputs&& in, int outputBits) {
  CheckShape(in);
  if (frames_ == 0) {
    width_ = in.colour.width;
    height_ = in.colour.height;
    hasAlpha_ = in.colour.names.size() == 4;
  }
  if (o_.look == Look::Shutter) {
    ++frames_;
    return ShutterPicture(o_, in, outputBits);
  }
  FrameInput frame;
  converter_.Convert(std::move(in), frames_, outputBits, &frame);
  const ColourCodes blurred = blur_.Blur(frame);
  ++frames_;
  // The codes the module was given, to tell which pixels it left alone.
  frame.codes.colour = std::move(frame.passes.colour);
  return ColourPicture(frame.colour, frame.codes, blurred, outputBits);
}

}  // namespace qxv::apply
