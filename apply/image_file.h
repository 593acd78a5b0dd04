// Image files through OpenImageIO: PNG, OpenEXR (single and multilayer),
// TIFF and the other formats it reads and writes. Samples are read exactly
// as stored: integer formats keep their integer values, float formats their
// float values, with no colour conversion.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qxv::apply {

// Chosen channels of one file.
struct ChannelImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> names;
  // Per channel: stored as integers, and the value that stands for 1.0
  // (255 for 8 bits, 65535 for 16; 1 for float formats).
  std::vector<bool> integral;
  std::vector<double> unit;
  std::vector<double> samples;  // row-major, names.size() per pixel

  std::size_t Pixels() const { return static_cast<std::size_t>(width) * height; }
  double At(std::size_t pixel, std::size_t channel) const {
    return samples[pixel * names.size() + channel];
  }
};

// The file's channel names in the order OpenImageIO gives them (first part
// of a multi-part file). Throws an input error naming the file: missing,
// not an image, corrupt, or larger than the module's 32000-pixel limit.
std::vector<std::string> ChannelNames(const std::string& path);

// Reads the named channels, which must be among ChannelNames(path). Throws
// an input error naming the file when the pixels cannot be read (a
// truncated or corrupt file).
ChannelImage ReadChannels(const std::string& path, const std::vector<std::string>& names);

// A picture to write: 8- or 16-bit integer samples, or 32-bit float
// samples for formats that store them, such as OpenEXR.
struct OutputImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> names;  // "R", "G", "B", "A" or "Y"
  int bits = 8;                    // 8, 16, or 32 for float
  std::vector<float> samples;      // integer formats: the integer values

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
// Throws an input error naming the file.
void WriteImage(const std::string& path, const OutputImage& image);

}  // namespace qxv::apply
