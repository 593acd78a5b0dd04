#include <cerrno>
#include <cstring>

#include "tools/png_detail.h"
#include "tools/png_io.h"

namespace pblur {
namespace {

using namespace png_detail;

int ColorTypeOf(PngLayout layout) {
  switch (layout) {
    case PngLayout::Gray:
      return PNG_COLOR_TYPE_GRAY;
    case PngLayout::GrayAlpha:
      return PNG_COLOR_TYPE_GRAY_ALPHA;
    case PngLayout::Rgb:
      return PNG_COLOR_TYPE_RGB;
    case PngLayout::Rgba:
      return PNG_COLOR_TYPE_RGB_ALPHA;
    case PngLayout::Palette:
      break;
  }
  return PNG_COLOR_TYPE_PALETTE;
}

bool Encode(std::FILE* file, ErrorSink* sink, const PngImage& image, Rows* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    std::snprintf(sink->message, sizeof sink->message, "out of memory");
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(sink->jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, ColorTypeOf(image.layout),
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows->pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void WritePng(const std::string& path, const PngImage& image) {
  const int bytesPerSample = image.bitDepth == 16 ? 2 : 1;
  Rows rows;
  rows.Resize(static_cast<std::size_t>(image.width) * image.channels() * bytesPerSample,
              image.height);
  for (std::size_t i = 0; i < image.samples.size() && i * bytesPerSample < rows.bytes.size(); ++i) {
    if (bytesPerSample == 2) {
      rows.bytes[2 * i] = static_cast<png_byte>(image.samples[i] >> 8);
      rows.bytes[2 * i + 1] = static_cast<png_byte>(image.samples[i] & 0xFF);
    } else {
      rows.bytes[i] = static_cast<png_byte>(image.samples[i]);
    }
  }
  const std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) FileError(path, std::string("cannot write: ") + std::strerror(errno));
  ErrorSink sink{};
  bool encoded = Encode(file, &sink, image, &rows);
  bool closed = std::fclose(file) == 0;
  if (!encoded || !closed) {
    std::remove(temporary.c_str());
    FileError(path,
              std::string("cannot write: ") + (encoded ? std::strerror(errno) : sink.message));
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    int reason = errno;
    std::remove(temporary.c_str());
    FileError(path, std::string("cannot write: ") + std::strerror(reason));
  }
}

}  // namespace pblur
