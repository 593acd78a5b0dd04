#include "bench/shutter/look_image.h"

#include <algorithm>

#include "apply/colour/srgb.h"
#include "apply/input/image_input.h"
#include "apply/output/image_output.h"
#include "apply/input/pass_source.h"

namespace qxv::bench {

Rgb ReadRgb(const std::string& source) {
  const std::string::size_type colon = source.rfind(':');
  const std::string path = colon == std::string::npos ? source : source.substr(0, colon);
  const std::string request = colon == std::string::npos ? "" : source.substr(colon + 1);
  const std::vector<std::string> names = apply::ChooseChannels(
      path, apply::ChannelNames(path), request, apply::PassShape::Colour);
  const apply::ChannelImage image =
      apply::ReadChannels(path, {names.begin(), names.begin() + 3});
  Rgb out;
  out.width = image.width;
  out.height = image.height;
  out.rgb.resize(image.Pixels() * 3);
  for (std::size_t i = 0; i < image.Pixels(); ++i) {
    for (std::size_t c = 0; c < 3; ++c) {
      const double v = image.At(i, c);
      out.rgb[i * 3 + c] = static_cast<float>(
          image.integral[c] ? apply::SrgbToLinear(v / image.unit[c]) : v);
    }
  }
  return out;
}

std::vector<float> DisplayLuma(const Rgb& image) {
  std::vector<float> luma(image.rgb.size() / 3);
  for (std::size_t i = 0; i < luma.size(); ++i) {
    const double r = apply::LinearToSrgb(image.rgb[i * 3]);
    const double g = apply::LinearToSrgb(image.rgb[i * 3 + 1]);
    const double b = apply::LinearToSrgb(image.rgb[i * 3 + 2]);
    luma[i] = static_cast<float>(0.2126 * r + 0.7152 * g + 0.0722 * b);
  }
  return luma;
}

}  // namespace qxv::bench
