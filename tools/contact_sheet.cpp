#include "tools/contact_sheet.h"

#include "tools/pass_png.h"

namespace pblur {
namespace {

constexpr std::uint32_t kGap = 4;
constexpr std::uint32_t kGapColour = 0x101010;

}  // namespace

PngImage ContactSheet(const std::vector<ColourFrame>& rendered,
                      const std::vector<ColourFrame>& blurred, std::uint32_t width,
                      std::uint32_t height) {
  const std::uint32_t columns = static_cast<std::uint32_t>(rendered.size());
  const std::uint32_t sheetWidth = columns * width + (columns + 1) * kGap;
  const std::uint32_t sheetHeight = 2 * height + 3 * kGap;
  ColourFrame sheet(static_cast<std::size_t>(sheetWidth) * sheetHeight, kGapColour);
  const std::vector<ColourFrame>* rows[2] = {&rendered, &blurred};
  for (std::uint32_t row = 0; row < 2; ++row) {
    for (std::uint32_t column = 0; column < columns && column < rows[row]->size(); ++column) {
      const ColourFrame& frame = (*rows[row])[column];
      const std::uint32_t left = kGap + column * (width + kGap);
      const std::uint32_t top = kGap + row * (height + kGap);
      for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
          sheet[static_cast<std::size_t>(top + y) * sheetWidth + left + x] =
              frame[static_cast<std::size_t>(y) * width + x];
        }
      }
    }
  }
  return ColourPng(sheet, sheetWidth, sheetHeight);
}

}  // namespace pblur
