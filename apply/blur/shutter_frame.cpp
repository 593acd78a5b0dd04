#include "apply/blur/shutter_frame.h"

#include <vector>

#include "apply/colour/colour_frame.h"
#include "shutter/rows.h"
#include "shutter/shutter_blur.h"

namespace qxv::apply {
namespace {

// The vector and depth passes as the shutter library takes them, made in
// one pass over the rows on every core.
struct Motion {
  // Per pixel, x then y: scaled, with rows running down (the pass's y is
  // up). The vector pass points from each pixel to where its point was in
  // the previous frame and, in its third and fourth channels, from where it
  // is in the next frame to the pixel (as Blender stores both).
  std::vector<float> previous, next;
  std::vector<float> depth;
};

Motion MotionOf(const ApplySettings& o, const FrameInputs& in) {
  const ChannelImage& v = *in.vector;
  const ChannelImage* depth = in.depth ? &*in.depth : nullptr;
  const bool both = v.names.size() == 4;
  Motion m;
  m.previous.resize(v.Pixels() * 2);
  if (both) m.next.resize(v.Pixels() * 2);
  if (depth) m.depth.resize(depth->Pixels());
  const auto path = [&](std::vector<float>& out, std::size_t i, std::size_t first, double sign) {
    out[i * 2] = static_cast<float>(sign * v.At(i, first) * o.vectorScaleX);
    out[i * 2 + 1] = static_cast<float>(-sign * v.At(i, first + 1) * o.vectorScaleY);
  };
  shutter::ForEachRow(v.height, 0, [&](std::uint32_t y) {
    for (std::size_t i = std::size_t{y} * v.width; i < (std::size_t{y} + 1) * v.width; ++i) {
      path(m.previous, i, 0, 1.0);
      if (both) path(m.next, i, 2, -1.0);
      if (depth) m.depth[i] = static_cast<float>(depth->At(i, 0));
    }
  });
  return m;
}

}  // namespace

OutputImage ShutterPicture(const ApplySettings& o, const FrameInputs& in, int outputBits) {
  const std::vector<float> rgba = LinearRgba(in.colour);
  const Motion motion = MotionOf(o, in);
  shutter::Frame frame;
  frame.width = in.colour.width;
  frame.height = in.colour.height;
  frame.rgba = rgba.data();
  frame.previous = motion.previous.data();
  frame.next = motion.next.empty() ? nullptr : motion.next.data();
  frame.depth = motion.depth.empty() ? nullptr : motion.depth.data();
  shutter::Settings settings;
  settings.shutter = o.shutter.value_or(0.5);
  const shutter::Result blurred = shutter::Blur(frame, settings);
  return LinearPicture(in.colour, blurred.rgba, blurred.kept, outputBits);
}

}  // namespace qxv::apply
