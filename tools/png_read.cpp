#include <cerrno>
#include <cstring>

#include "tools/png_detail.h"
#include "tools/png_io.h"

namespace pblur {
namespace {

using namespace png_detail;

constexpr std::uint32_t kMaxSide = 32000;

PngLayout LayoutOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
      return PngLayout::Gray;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return PngLayout::GrayAlpha;
    case PNG_COLOR_TYPE_RGB:
      return PngLayout::Rgb;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return PngLayout::Rgba;
    default:
      return PngLayout::Palette;
  }
}

// False with sink->message set when libpng gave up or the size is refused.
bool Decode(std::FILE* file, ErrorSink* sink, PngImage* image, Rows* rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, sink, OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    std::snprintf(sink->message, sizeof sink->message, "out of memory");
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(sink->jump)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  image->width = png_get_image_width(png, info);
  image->height = png_get_image_height(png, info);
  image->bitDepth = png_get_bit_depth(png, info);
  image->layout = LayoutOf(png_get_color_type(png, info));
  if (image->width > kMaxSide || image->height > kMaxSide) {
    std::snprintf(sink->message, sizeof sink->message, "%ux%u is larger than %u pixels a side",
                  image->width, image->height, kMaxSide);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (image->bitDepth < 8) png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  rows->Resize(png_get_rowbytes(png, info), image->height);
  png_read_image(png, rows->pointers.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

int PngImage::channels() const {
  switch (layout) {
    case PngLayout::GrayAlpha:
      return 2;
    case PngLayout::Rgb:
      return 3;
    case PngLayout::Rgba:
      return 4;
    default:
      return 1;
  }
}

const char* LayoutName(PngLayout layout) {
  switch (layout) {
    case PngLayout::Gray:
      return "grayscale";
    case PngLayout::GrayAlpha:
      return "grayscale with alpha";
    case PngLayout::Rgb:
      return "RGB";
    case PngLayout::Rgba:
      return "RGBA";
    case PngLayout::Palette:
      break;
  }
  return "palette";
}

std::string DescribeFormat(const PngImage& image) {
  return std::to_string(image.bitDepth) + "-bit " + LayoutName(image.layout);
}

PngImage ReadPng(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) FileError(path, std::strerror(errno));
  png_byte signature[8] = {};
  std::size_t got = std::fread(signature, 1, sizeof signature, file);
  if (got != sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0) {
    std::fclose(file);
    FileError(path, "not a PNG file");
  }
  std::rewind(file);
  ErrorSink sink{};
  PngImage image;
  Rows rows;
  bool decoded = Decode(file, &sink, &image, &rows);
  std::fclose(file);
  if (!decoded) FileError(path, std::string("corrupt or unreadable PNG (") + sink.message + ")");
  std::size_t count = static_cast<std::size_t>(image.width) * image.height * image.channels();
  image.samples.resize(count);
  if (image.bitDepth == 16) {
    for (std::size_t i = 0; i < count; ++i) {
      image.samples[i] = static_cast<std::uint16_t>(rows.bytes[2 * i] << 8 | rows.bytes[2 * i + 1]);
    }
  } else {
    for (std::size_t i = 0; i < count; ++i) image.samples[i] = rows.bytes[i];
  }
  return image;
}

}  // namespace pblur
