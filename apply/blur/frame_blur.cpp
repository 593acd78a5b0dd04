#include "apply/blur/frame_blur.h"

#include <utility>

#include "apply/apply_error.h"
#include "apply/blur/shutter_frame.h"
#include "apply/colour/colour_frame.h"
#include "apply/input/pass_table.h"

namespace qxv::apply {

FrameBlur::FrameBlur(const sim::ModuleExports& module, const ApplySettings& settings)
    : o_(settings), converter_(settings), blur_(module, settings) {}

void FrameBlur::CheckShape(const FrameInputs& in) const {
  const ChannelImage& c = in.colour;
  const bool alpha = c.names.size() == 4;
  if (first_.Known()) {
    first_.CheckSize("colour", c.width, c.height);
    first_.CheckAlpha("colour", alpha);
  }
  const bool shutter = o_.look == Look::Shutter;
  const FrameShape colour("the colour", c.width, c.height, alpha);
  for (const PassRow& row : kPasses) {
    const ChannelImage* pass = row.In(in);
    // The shutter look needs no object index: an empty one is not given.
    if (shutter && pass && pass->Pixels() == 0) continue;
    if (pass && pass != &c) colour.CheckSize(row.Name(), pass->width, pass->height);
  }
  if (shutter) {
    if (!in.vector) UsageError("missing vector: the shutter look follows the motion vectors");
    if (in.uv || in.match1) UsageError("uv and match: the streak look's, not the shutter look's");
    return;
  }
  CheckOneMatchSource(MatchSources([&in](const PassRow& row) { return row.In(in) != nullptr; }),
                      "match values, uv or vector");
}

OutputImage FrameBlur::Frame(FrameInputs&& in, int outputBits) {
  CheckShape(in);
  if (!first_.Known()) {
    first_ = FrameShape("the first frame", in.colour.width, in.colour.height,
                        in.colour.names.size() == 4);
  }
  if (o_.look == Look::Shutter) {
    ++frames_;
    return ShutterPicture(o_, in, outputBits);
  }
  ConvertedFrame frame;
  converter_.Convert(std::move(in), frames_, outputBits, &frame);
  const ColourCodes blurred = blur_.Blur(frame);
  ++frames_;
  // The codes the module was given, to tell which pixels it left alone.
  frame.codes.colour = std::move(frame.passes.colour);
  return ColourPicture(frame.colour, frame.codes, blurred, outputBits);
}

}  // namespace qxv::apply
