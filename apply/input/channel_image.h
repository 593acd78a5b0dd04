// A pass as read: chosen channels of one file (or arrays handed over from
// memory), samples exactly as stored.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "apply/input/image_header.h"

namespace qxv::apply {

// Chosen channels of one file.
struct ChannelImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> names;
  // Per channel: stored as integers, and the value that stands for 1.0
  // (255 for 8 bits, 65535 for 16; 1 for float formats).
  std::vector<bool> integral;
  std::vector<double> unit;
  // Row-major, names.size() per pixel: as floats, which hold half, float
  // and integers up to 16 bits exactly; as doubles in `wide` instead when
  // a channel holds 32-bit integers.
  std::vector<float> samples;
  std::vector<double> wide;
  // The colour is premultiplied by its alpha as stored (OpenEXR; a TIFF
  // that says its alpha is associated), not straight (PNG, most TIFFs).
  bool associatedAlpha = false;
  ImageWindows windows;
  ImageMetadata metadata;

  std::size_t Pixels() const { return static_cast<std::size_t>(width) * height; }
  double At(std::size_t pixel, std::size_t channel) const {
    const std::size_t at = pixel * names.size() + channel;
    return wide.empty() ? samples[at] : wide[at];
  }
};

}  // namespace qxv::apply
