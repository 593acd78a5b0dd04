// One picture of a whole run: the rendered frames in the top row, the
// blurred frames below them, side by side in frame order.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/png_io.h"

namespace pblur {

using ColourFrame = std::vector<std::uint32_t>;  // 0x00RRGGBB, row-major

PngImage ContactSheet(const std::vector<ColourFrame>& rendered,
                      const std::vector<ColourFrame>& blurred, std::uint32_t width,
                      std::uint32_t height);

}  // namespace pblur
