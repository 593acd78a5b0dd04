// PNG files through libpng: samples exactly as stored (no gamma or colour
// conversion), so that pass values survive a round trip bit for bit.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pblur {

enum class PngLayout { Gray, GrayAlpha, Rgb, Rgba, Palette };

struct PngImage {
  std::uint32_t width = 0, height = 0;
  PngLayout layout = PngLayout::Rgb;
  int bitDepth = 8;
  // Row-major, channels() per pixel; 8-bit files use 0..255.
  std::vector<std::uint16_t> samples;

  int channels() const;
  std::uint16_t at(std::uint32_t x, std::uint32_t y, int channel) const {
    return samples[(static_cast<std::size_t>(y) * width + x) * channels() + channel];
  }
};

const char* LayoutName(PngLayout layout);
// "16-bit grayscale", "8-bit RGBA", ...
std::string DescribeFormat(const PngImage& image);

// Throws an input error naming the file: missing, unreadable, not a PNG,
// corrupt or larger than the module's 32000-pixel limit.
PngImage ReadPng(const std::string& path);

// Writes under a temporary name next to `path` and renames it into place,
// so a failed write never leaves a partial file under the final name.
// Palette images are not written. Throws an input error naming the file.
void WritePng(const std::string& path, const PngImage& image);

}  // namespace pblur
