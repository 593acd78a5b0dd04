// A rendered or blurred frame as the look benchmark compares it: linear
// RGB read from any file apply reads, and its display luma.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qxv::bench {

struct Rgb {
  std::uint32_t width = 0, height = 0;
  std::vector<float> rgb;  // linear light, three a pixel
};

// `source` is a file name, or FILE:LAYER / FILE:R,G,B as pblur apply names
// channels. Integer files are decoded from sRGB.
Rgb ReadRgb(const std::string& source);

// Rec. 709 luma of the sRGB-encoded colour, clamped to 0..1: what a viewer
// shows and what PSNR and SSIM are taken of.
std::vector<float> DisplayLuma(const Rgb& image);

}  // namespace qxv::bench
