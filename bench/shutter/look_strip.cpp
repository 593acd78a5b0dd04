// One frame several ways, side by side, as an 8-bit PNG (display sRGB):
// the README's picture of the looks against the renderer's own blur.
//
//   look_strip --frame N --out FILE.png [--crop X,Y,W,H] [--scale K]
//              [--columns C] PAT ...
// PAT as look_quality takes it. Pictures are laid out left to right, C to a
// row (all in one row by default), 2 pixels apart, each cropped and then
// enlarged K times (nearest pixel).
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "apply/colour/colour_codes.h"
#include "apply/input/image_input.h"
#include "apply/output/image_output.h"
#include "bench/shutter/look_image.h"
#include "bench/shutter/program.h"

namespace {

constexpr int kGap = 2;

int Run(int argc, char** argv) {
  int frame = 1, scale = 1, columns = 0;
  long cx = 0, cy = 0, cw = 0, ch = 0;
  std::string out;
  std::vector<std::string> sources;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    const auto value = [&]() -> std::string {
      if (k + 1 >= argc) throw std::runtime_error(a + ": needs a value");
      return argv[++k];
    };
    if (a == "--frame") {
      frame = std::stoi(value());
    } else if (a == "--scale") {
      scale = std::stoi(value());
    } else if (a == "--columns") {
      columns = std::stoi(value());
    } else if (a == "--out") {
      out = value();
    } else if (a == "--crop") {
      if (std::sscanf(value().c_str(), "%ld,%ld,%ld,%ld", &cx, &cy, &cw, &ch) != 4) {
        throw std::runtime_error("--crop: expected X,Y,W,H");
      }
    } else {
      sources.push_back(a);
    }
  }
  if (out.empty() || sources.empty()) throw std::runtime_error("--out and pictures are needed");
  if (columns <= 0) columns = static_cast<int>(sources.size());
  const int rows = (static_cast<int>(sources.size()) + columns - 1) / columns;
  std::vector<qxv::bench::Rgb> images;
  for (const std::string& s : sources) images.push_back(qxv::bench::ReadRgb(qxv::bench::FrameSource(s, frame)));
  if (cw == 0) cw = images[0].width, ch = images[0].height;
  qxv::apply::OutputImage strip;
  strip.width = static_cast<std::uint32_t>(columns * (cw * scale + kGap) - kGap);
  strip.height = static_cast<std::uint32_t>(rows * (ch * scale + kGap) - kGap);
  strip.names = {"R", "G", "B"};
  strip.bits = 8;
  strip.samples.assign(std::size_t{strip.width} * strip.height * 3, 255.0f);
  for (std::size_t n = 0; n < images.size(); ++n) {
    const qxv::bench::Rgb& image = images[n];
    const long left = static_cast<long>(n % columns) * (cw * scale + kGap);
    const long top = static_cast<long>(n / columns) * (ch * scale + kGap);
    for (long y = 0; y < ch * scale; ++y) {
      for (long x = 0; x < cw * scale; ++x) {
        const long sx = std::clamp<long>(cx + x / scale, 0, image.width - 1);
        const long sy = std::clamp<long>(cy + y / scale, 0, image.height - 1);
        const std::size_t from = (static_cast<std::size_t>(sy) * image.width + sx) * 3;
        const std::size_t to = (static_cast<std::size_t>(top + y) * strip.width + left + x) * 3;
        for (int c = 0; c < 3; ++c) {
          strip.samples[to + c] = static_cast<float>(
              qxv::apply::EncodeLinear(image.rgb[from + c], qxv::apply::CodeRange::Display));
        }
      }
    }
  }
  qxv::apply::WriteImage(out, strip);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return qxv::bench::Guarded("look_strip", Run, argc, argv); }
