// The I/O floor of pblur apply: each frame's file decoded through
// OpenImageIO, every channel in the type it is stored in, and its colour
// encoded to a PNG as pblur writes one; nothing else. What pblur spends
// beyond this is the price of the blur.
//   qxv_io_floor INPUT_PATTERN COLOUR_LAYER OUTPUT_PATTERN FIRST LAST
// prints the seconds a frame, wall clock, over the frames.
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "apply/input/frame_pattern.h"
#include "apply/output/image_output.h"

namespace {

// The colour as 8-bit samples, the decoded values scaled and clamped.
qxv::apply::OutputImage Picture(const OIIO::ImageSpec& spec,
                                const std::vector<unsigned char>& pixels,
                                const std::string& layer) {
  qxv::apply::OutputImage image;
  image.width = static_cast<std::uint32_t>(spec.width);
  image.height = static_cast<std::uint32_t>(spec.height);
  image.names = {"R", "G", "B", "A"};
  const std::size_t count = static_cast<std::size_t>(spec.width) * spec.height;
  image.samples.assign(count * 4, 1.0f);
  const OIIO::stride_t pixelBytes = static_cast<OIIO::stride_t>(spec.pixel_bytes(true));
  for (std::size_t c = 0; c < 4; ++c) {
    const int channel = spec.channelindex(layer + "." + "RGBA"[c]);
    if (channel < 0) continue;
    std::size_t offset = 0;
    for (int k = 0; k < channel; ++k) offset += spec.channelformat(k).size();
    OIIO::convert_image(1, spec.width, spec.height, 1, pixels.data() + offset,
                        spec.channelformat(channel), pixelBytes, OIIO::AutoStride,
                        OIIO::AutoStride, image.samples.data() + c, OIIO::TypeDesc::FLOAT,
                        4 * sizeof(float), OIIO::AutoStride, OIIO::AutoStride);
  }
  for (float& v : image.samples) v = std::floor(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: qxv_io_floor INPUT_PATTERN COLOUR_LAYER OUTPUT_PATTERN FIRST LAST\n");
    return 2;
  }
#if defined(__GLIBC__)
  // As pblur: the frames' large blocks are reused, not mapped afresh.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  const std::string input = argv[1], layer = argv[2], output = argv[3];
  const int first = std::atoi(argv[4]), last = std::atoi(argv[5]);
  const auto start = std::chrono::steady_clock::now();
  for (int f = first; f <= last; ++f) {
    const std::string path = qxv::apply::FrameName(input, f);
    auto in = OIIO::ImageInput::open(path);
    if (!in) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), OIIO::geterror().c_str());
      return 1;
    }
    const OIIO::ImageSpec spec = in->spec();
    std::vector<unsigned char> pixels(spec.image_bytes(true));
    if (!in->read_image(0, 0, 0, spec.nchannels, OIIO::TypeUnknown, pixels.data())) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), in->geterror().c_str());
      return 1;
    }
    in->close();
    qxv::apply::WriteImage(qxv::apply::FrameName(output, f), Picture(spec, pixels, layer));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f s per frame\n", seconds / (last - first + 1));
  return 0;
}
