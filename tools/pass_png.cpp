#include "tools/pass_png.h"

#include <algorithm>

#include "tools/tool_error.h"

namespace pblur {

PngImage ColourPng(const std::vector<std::uint32_t>& colour, std::uint32_t width,
                   std::uint32_t height) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.layout = PngLayout::Rgb;
  image.bitDepth = 8;
  image.samples.reserve(colour.size() * 3);
  for (std::uint32_t c : colour) {
    image.samples.push_back(static_cast<std::uint16_t>((c >> 16) & 0xFF));
    image.samples.push_back(static_cast<std::uint16_t>((c >> 8) & 0xFF));
    image.samples.push_back(static_cast<std::uint16_t>(c & 0xFF));
  }
  return image;
}

PngImage ValuePng(const std::vector<std::uint32_t>& values, std::uint32_t width,
                  std::uint32_t height) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.layout = PngLayout::Gray;
  image.bitDepth = 16;
  image.samples.reserve(values.size());
  for (std::uint32_t v : values) {
    image.samples.push_back(static_cast<std::uint16_t>(std::min<std::uint32_t>(v, 0xFFFF)));
  }
  return image;
}

void CheckSize(const std::string& path, const PngImage& image, std::uint32_t width,
               std::uint32_t height, const std::string& sizeSource) {
  if (image.width == width && image.height == height) return;
  InputError(path + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             ", but " + sizeSource + " is " + std::to_string(width) + "x" + std::to_string(height));
}

std::vector<std::uint32_t> ReadColour(const std::string& path, PngImage* image) {
  *image = ReadPng(path);
  const bool colour = image->layout == PngLayout::Rgb || image->layout == PngLayout::Rgba;
  if (!colour || image->bitDepth != 8) {
    InputError(path + ": " + DescribeFormat(*image) + ", expected 8-bit RGB or RGBA");
  }
  std::vector<std::uint32_t> out(static_cast<std::size_t>(image->width) * image->height);
  for (std::uint32_t y = 0; y < image->height; ++y) {
    for (std::uint32_t x = 0; x < image->width; ++x) {
      out[static_cast<std::size_t>(y) * image->width + x] =
          std::uint32_t{image->at(x, y, 0)} << 16 | std::uint32_t{image->at(x, y, 1)} << 8 |
          image->at(x, y, 2);
    }
  }
  return out;
}

std::vector<std::uint32_t> ReadValues(const std::string& path, bool allow8Bit, std::uint32_t width,
                                      std::uint32_t height, const std::string& sizeSource) {
  const PngImage image = ReadPng(path);
  const bool depthOk = image.bitDepth == 16 || (allow8Bit && image.bitDepth == 8);
  if (image.layout != PngLayout::Gray || !depthOk) {
    InputError(path + ": " + DescribeFormat(image) + ", expected " +
               (allow8Bit ? "8- or 16-bit grayscale" : "16-bit grayscale"));
  }
  CheckSize(path, image, width, height, sizeSource);
  return std::vector<std::uint32_t>(image.samples.begin(), image.samples.end());
}

}  // namespace pblur
