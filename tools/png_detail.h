// What the PNG reader and writer share: libpng's error path and row
// buffers.
#pragma once
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/tool_error.h"

namespace pblur::png_detail {

// libpng reports errors by longjmp; the frames it unwinds hold only plain
// data, and everything with a destructor lives in the caller.
struct ErrorSink {
  std::jmp_buf jump;
  char message[200];
};

inline void OnError(png_structp png, png_const_charp text) {
  ErrorSink* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", text);
  std::longjmp(sink->jump, 1);
}

inline void OnWarning(png_structp, png_const_charp) {}

struct Rows {
  std::vector<png_byte> bytes;
  std::vector<png_bytep> pointers;
  void Resize(std::size_t rowBytes, std::uint32_t height) {
    bytes.assign(rowBytes * height, 0);
    pointers.resize(height);
    for (std::uint32_t y = 0; y < height; ++y) pointers[y] = bytes.data() + rowBytes * y;
  }
};

[[noreturn]] inline void FileError(const std::string& path, const std::string& reason) {
  InputError(path + ": " + reason);
}

}  // namespace pblur::png_detail
