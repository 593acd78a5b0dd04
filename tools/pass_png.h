// Render passes to and from PNG: colour as 8-bit RGB(A), per-pixel values
// as 16-bit grayscale.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/png_io.h"

namespace pblur {

// 0x00RRGGBB values as 8-bit RGB.
PngImage ColourPng(const std::vector<std::uint32_t>& colour, std::uint32_t width,
                   std::uint32_t height);
// Values as 16-bit grayscale; values above 65535 are stored as 65535.
PngImage ValuePng(const std::vector<std::uint32_t>& values, std::uint32_t width,
                  std::uint32_t height);

// Each reader checks the format and throws an input error naming the file
// and what was expected.
// 8-bit RGB or RGBA to 0x00RRGGBB; alpha is left in the image.
std::vector<std::uint32_t> ReadColour(const std::string& path, PngImage* image);
// 16-bit grayscale (or 8- or 16-bit for masks) to values.
std::vector<std::uint32_t> ReadValues(const std::string& path, bool allow8Bit, std::uint32_t width,
                                      std::uint32_t height, const std::string& sizeSource);

// Throws unless the image is width x height, naming both files.
void CheckSize(const std::string& path, const PngImage& image, std::uint32_t width,
               std::uint32_t height, const std::string& sizeSource);

}  // namespace pblur
