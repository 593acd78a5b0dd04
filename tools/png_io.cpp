#include "tools/png_io.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "tools/tool_error.h"

namespace pblur {
namespace {

constexpr std::uint32_t kMaxSide = 32000;

// libpng reports errors by longjmp; the frames it unwinds hold only plain
// data, and everything with a destructor lives in the caller.
struct ErrorSink {
  std::jmp_buf jump;
  char message[200];
};

void OnError(png_structp png, png_const_charp text) {
  ErrorSink* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", text);
  std::longjmp(sink->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct Rows {
  std::vector<png_byte> bytes;
  std::vector<png_bytep> pointers;
  void Resize(std::size_t rowBytes, std::uint32_t height) {
    bytes.assign(rowBytes * height, 0);
    pointers.resize(height);
    for (std::uint32_t y = 0; y < height; ++y) pointers[y] = bytes.data() + rowBytes * y;
  }
};

PngLayout LayoutOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return PngLayout::Gray;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return PngLayout::GrayAlpha;
    case PNG_COLOR_TYPE_RGB: return PngLayout::Rgb;
    case PNG_COLOR_TYPE_RGB_ALPHA: return PngLayout::Rgba;
    default: return PngLayout::Palette;
  }
}

int ColorTypeOf(PngLayout layout) {
  switch (layout) {
    case PngLayout::Gray: return PNG_COLOR_TYPE_GRAY;
    case PngLayout::GrayAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case PngLayout::Rgb: return PNG_COLOR_TYPE_RGB;
    case PngLayout::Rgba: return PNG_COLOR_TYPE_RGB_ALPHA;
    case PngLayout::Palette: break;
  }
  return PNG_COLOR_TYPE_PALETTE;
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

[[noreturn]] void FileError(const std::string& path, const std::string& reason) {
  InputError(path + ": " + reason);
}

}  // namespace

int PngImage::channels() const {
  switch (layout) {
    case PngLayout::GrayAlpha: return 2;
    case PngLayout::Rgb: return 3;
    case PngLayout::Rgba: return 4;
    default: return 1;
  }
}

const char* LayoutName(PngLayout layout) {
  switch (layout) {
    case PngLayout::Gray: return "grayscale";
    case PngLayout::GrayAlpha: return "grayscale with alpha";
    case PngLayout::Rgb: return "RGB";
    case PngLayout::Rgba: return "RGBA";
    case PngLayout::Palette: break;
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
    FileError(path, std::string("cannot write: ") + (encoded ? std::strerror(errno) : sink.message));
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    int reason = errno;
    std::remove(temporary.c_str());
    FileError(path, std::string("cannot write: ") + std::strerror(reason));
  }
}

}  // namespace pblur
