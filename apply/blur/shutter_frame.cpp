#include "apply/blur/shutter_frame.h"

#include <vector>

#include "apply/colour/colour_frame.h"
#include "shutter/rows.h"
#include "shutter/shutter_blur.h"

namespace qxv::apply {
namespace {

// The vectors of channels `first` and `first + 1`, times `sign`, as the
// shutter library takes them: scaled, with rows running down (the pass's y
// is up).
std::vector<float> Path(const ApplySettings& o, const ChannelImage& v, std::size_t first,
                        double sign) {
  std::vector<float> path(v.Pixels() * 2);
  shutter::ForEachRow(v.height, 0, [&](std::uint32_t y) {
    for (std::size_t i = std::size_t{y} * v.width; i < (std::size_t{y} + 1) * v.width; ++i) {
      path[i * 2] = static_cast<float>(sign * v.At(i, first) * o.vectorScaleX);
      path[i * 2 + 1] = static_cast<float>(-sign * v.At(i, first + 1) * o.vectorScaleY);
    }
  });
  return path;
}

}  // namespace

OutputImage ShutterPicture(const ApplySettings& o, const FrameInputs& in, int outputBits) {
  const ChannelImage& vector = *in.vector;
  const std::vector<float> rgba = LinearRgba(in.colour);
  // The vector pass points from each pixel to where its point was in the
  // previous frame and, in its third and fourth channels, from where it is
  // in the next frame to the pixel (as Blender stores both).
  const std::vector<float> previous = Path(o, vector, 0, 1.0);
  const std::vector<float> next =
      vector.names.size() == 4 ? Path(o, vector, 2, -1.0) : std::vector<float>();
  std::vector<float> depth;
  if (in.depth) {
    depth.resize(in.depth->Pixels());
    for (std::size_t i = 0; i < depth.size(); ++i) depth[i] = static_cast<float>(in.depth->At(i, 0));
  }
  shutter::Frame frame;
  frame.width = in.colour.width;
  frame.height = in.colour.height;
  frame.rgba = rgba.data();
  frame.previous = previous.data();
  frame.next = next.empty() ? nullptr : next.data();
  frame.depth = depth.empty() ? nullptr : depth.data();
  shutter::Settings settings;
  settings.shutter = o.shutter.value_or(0.5);
  const shutter::Result blurred = shutter::Blur(frame, settings);
  return LinearPicture(in.colour, blurred.rgba, blurred.kept, outputBits);
}

}  // namespace qxv::apply
