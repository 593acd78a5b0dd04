// The shutter look: every pixel's colour spread along its own motion over
// the time the shutter is open, as a camera records a moving scene. What a
// moving silhouette uncovers is rebuilt from the background around it,
// nearer surfaces stay in front of farther ones' blur, and a pixel nothing
// moves over comes out bit for bit as it went in.
#pragma once
#include <cstdint>
#include <vector>

namespace qxv::shutter {

// One frame, row-major, top row first. Colour is linear light with alpha
// premultiplied, four floats a pixel (alpha 1 for opaque pictures); any
// value, above 1 included, blurs as it is.
struct Frame {
  std::uint32_t width = 0, height = 0;
  const float* rgba = nullptr;
  // Two floats a pixel, in pixels, x right and y down: from the pixel to
  // where its point lies in the previous frame, and in the next. Without
  // `next` the point is taken to move on as it came (the previous frame's
  // vector mirrored). NaN and infinite vectors count as no motion.
  const float* previous = nullptr;
  const float* next = nullptr;
  // Larger is farther; null: faster surfaces are taken to be nearer.
  const float* depth = nullptr;
};

struct Settings {
  // The fraction of the frame interval the shutter is open, centred on the
  // frame: 0.5 spreads a point a quarter of its way to each neighbour frame.
  double shutter = 0.5;
  unsigned threads = 0;  // 0: every core
};

struct Result {
  std::vector<float> rgba;           // as Frame::rgba
  std::vector<std::uint8_t> kept;    // 1 where rgba is the input's, bit for bit
};

// The same result for the same frame whatever the number of threads.
Result Blur(const Frame& frame, const Settings& settings);

}  // namespace qxv::shutter
