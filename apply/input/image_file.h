// Image files through OpenImageIO: PNG, OpenEXR (single and multilayer),
// TIFF and the other formats it reads and writes. Samples are read exactly
// as stored: integer formats keep their integer values, float formats their
// float values, with no colour conversion.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

namespace qxv::apply {

// Where the pixels lie: the data window (the pixels stored) inside the
// display window (the whole picture), as a render cropped to a border has.
struct ImageWindows {
  int x = 0, y = 0;  // the data window's top left corner
  int fullX = 0, fullY = 0, fullWidth = 0, fullHeight = 0;  // 0 wide: the data window
};

// What a file says besides its pixels (camera, colour space, render
// settings, ...), kept to go out with the frame that came from it.
using ImageMetadata = std::shared_ptr<const OIIO::ParamValueList>;

// Chosen channels of one file.
struct ChannelImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::string> names;
  // Per channel: stored as integers, and the value that stands for 1.0
  // (255 for 8 bits, 65535 for 16; 1 for float formats).
  std::vector<bool> integral;
  std::vector<double> unit;
  // Row-major, names.size() per pixel: as floats, which hold half, float
  // and integers up to 16 bits exactly; as doubles in `wide` instead when
  // a channel holds 32-bit integers.
  std::vector<float> samples;
  std::vector<double> wide;
  // The colour is premultiplied by its alpha as stored (OpenEXR; a TIFF
  // that says its alpha is associated), not straight (PNG, most TIFFs).
  bool associatedAlpha = false;
  ImageWindows windows;
  ImageMetadata metadata;

  std::size_t Pixels() const { return static_cast<std::size_t>(width) * height; }
  double At(std::size_t pixel, std::size_t channel) const {
    const std::size_t at = pixel * names.size() + channel;
    return wide.empty() ? samples[at] : wide[at];
  }
};

// One file opened once: its header, then any sets of its channels decoded
// in one read of its pixels.
class InputFile {
 public:
  // Throws an input error naming the file: missing, not an image, corrupt,
  // or larger than the module's 32000-pixel limit.
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The channel names in the order OpenImageIO gives them (first part of a
  // multi-part file).
  const std::vector<std::string>& Names() const { return names_; }
  std::uint32_t Width() const { return static_cast<std::uint32_t>(input_->spec().width); }
  std::uint32_t Height() const { return static_cast<std::uint32_t>(input_->spec().height); }
  // One image per set of names, every name among Names(), all decoded in
  // one pass over the file. Throws an input error naming the file when the
  // pixels cannot be read (a truncated or corrupt file).
  std::vector<ChannelImage> Read(const std::vector<std::vector<std::string>>& sets);

 private:
  std::string path_;
  std::unique_ptr<OIIO::ImageInput> input_;
  std::vector<std::string> names_;
};

// The file's channel names; errors as InputFile's.
std::vector<std::string> ChannelNames(const std::string& path);

// Reads the named channels, which must be among ChannelNames(path).
ChannelImage ReadChannels(const std::string& path, const std::vector<std::string>& names);

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
// Throws an input error naming the file.
void WriteImage(const std::string& path, const OutputImage& image);

}  // namespace qxv::apply
