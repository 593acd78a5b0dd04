// Image files written through OpenImageIO, whole or not at all: PNG,
// OpenEXR, TIFF and the other formats it writes, chosen by the extension.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "apply/input/image_header.h"

namespace qxv::apply {

struct WriteFault;

// A picture to write: 8- or 16-bit integer samples, or 32-bit float
// samples for formats that store them, such as OpenEXR.
struct OutputImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> names;  // "R", "G", "B", "A" or "Y"
  int bits = 8;                    // 8, 16, or 32 for float
  std::vector<float> samples;      // integer formats: the integer values
  bool associatedAlpha = false;    // the colour is premultiplied by "A"
  ImageWindows windows;
  ImageMetadata metadata;  // written along where the format stores it

  std::size_t Channels() const { return names.size(); }
};

// Whether the file's format, chosen by its extension, stores floats
// (OpenEXR, Radiance HDR): colour then goes out linear.
bool StoresFloat(const std::string& path);

// Throws a usage error naming the flag when no format writes `path`'s
// extension.
void CheckWritable(const std::string& flag, const std::string& path);

// Writes under a temporary name next to `path` and renames it into place,
// so a failed write never leaves a partial file under the final name.
// Formats are written for speed where they allow it: PNG with light
// compression, OpenEXR as 32-bit float with a fast lossless compression.
// Throws an output error naming the file. Files that go out in one checked
// write fail as `fault` says when it is not null.
void WriteImage(const std::string& path, const OutputImage& image, WriteFault* fault = nullptr);

}  // namespace qxv::apply
