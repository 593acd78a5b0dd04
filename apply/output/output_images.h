// The tool's pictures as they go to files: blurred and rendered colour,
// with alpha when the input had it, and per-pixel values for the demo's
// passes.
#pragma once
#include <cstdint>
#include <vector>

#include "apply/output/image_output.h"

namespace qxv::apply {

// 0x00RRGGBB colour and, unless empty, 0..255 alpha. As 8-bit samples, or
// as linear light (alpha as its fraction) when `linear` is set, for
// formats that store floats.
OutputImage ColourImage(const std::vector<std::uint32_t>& colour,
                        const std::vector<std::uint32_t>& alpha, std::uint32_t width,
                        std::uint32_t height, bool linear);

// Values as 16-bit grayscale; values above 65535 are stored as 65535.
OutputImage ValueImage(const std::vector<std::uint32_t>& values, std::uint32_t width,
                       std::uint32_t height);

}  // namespace qxv::apply
