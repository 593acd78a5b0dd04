#include "apply/output/output_images.h"

#include <algorithm>

#include "apply/colour/srgb.h"

namespace qxv::apply {

OutputImage ColourImage(const std::vector<std::uint32_t>& colour,
                        const std::vector<std::uint32_t>& alpha, std::uint32_t width,
                        std::uint32_t height, bool linear) {
  OutputImage image;
  image.width = width;
  image.height = height;
  image.names = {"R", "G", "B"};
  if (!alpha.empty()) image.names.push_back("A");
  image.bits = linear ? 32 : 8;
  image.samples.reserve(colour.size() * image.Channels());
  for (std::size_t i = 0; i < colour.size(); ++i) {
    for (int shift : {16, 8, 0}) {
      const auto byte = static_cast<std::uint8_t>(colour[i] >> shift);
      image.samples.push_back(linear ? static_cast<float>(DecodeSrgb(byte)) : byte);
    }
    if (!alpha.empty()) {
      image.samples.push_back(linear ? static_cast<float>(alpha[i] / 255.0)
                                     : static_cast<float>(alpha[i]));
    }
  }
  return image;
}

OutputImage ValueImage(const std::vector<std::uint32_t>& values, std::uint32_t width,
                       std::uint32_t height) {
  OutputImage image;
  image.width = width;
  image.height = height;
  image.names = {"Y"};
  image.bits = 16;
  image.samples.reserve(values.size());
  for (std::uint32_t v : values) {
    image.samples.push_back(static_cast<float>(std::min<std::uint32_t>(v, 0xFFFF)));
  }
  return image;
}

}  // namespace qxv::apply
