#include "tools/contact_sheet.h"

#include <algorithm>

#include "apply/output/output_images.h"

namespace qxv::tool {
namespace {

constexpr std::uint32_t kGap = 4;
constexpr std::uint32_t kGapColour = 0x101010;

}  // namespace

std::vector<int> SheetFrames(int frames, int columns) {
  std::vector<int> shown;
  const int n = std::min(frames, columns);
  for (int k = 0; k < n; ++k) {
    // Rounded to nearest, so the first and the last frame are both shown.
    const long long spread = n > 1 ? (2LL * k * (frames - 1) + (n - 1)) / (2LL * (n - 1)) : 0;
    shown.push_back(1 + static_cast<int>(spread));
  }
  return shown;
}

ContactSheet::ContactSheet(int frames, std::uint32_t width, std::uint32_t height)
    : shown_(SheetFrames(frames, kColumns)), width_(width), height_(height) {}

void ContactSheet::Add(int frame, const ColourFrame& rendered, const ColourFrame& blurred) {
  if (!std::binary_search(shown_.begin(), shown_.end(), frame)) return;
  rendered_.push_back(rendered);
  blurred_.push_back(blurred);
}

apply::OutputImage ContactSheet::Picture() const {
  const std::uint32_t columns = static_cast<std::uint32_t>(rendered_.size());
  const std::uint32_t sheetWidth = columns * width_ + (columns + 1) * kGap;
  const std::uint32_t sheetHeight = 2 * height_ + 3 * kGap;
  ColourFrame sheet(static_cast<std::size_t>(sheetWidth) * sheetHeight, kGapColour);
  const std::vector<ColourFrame>* rows[2] = {&rendered_, &blurred_};
  for (std::uint32_t row = 0; row < 2; ++row) {
    for (std::uint32_t column = 0; column < columns; ++column) {
      const ColourFrame& frame = (*rows[row])[column];
      const std::uint32_t left = kGap + column * (width_ + kGap);
      const std::uint32_t top = kGap + row * (height_ + kGap);
      for (std::uint32_t y = 0; y < height_; ++y) {
        std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(y) * width_, width_,
                    sheet.begin() + static_cast<std::ptrdiff_t>(top + y) * sheetWidth + left);
      }
    }
  }
  return apply::ColourImage(sheet, {}, sheetWidth, sheetHeight, false);
}

}  // namespace qxv::tool
