// Image files read through OpenImageIO: PNG, OpenEXR (single and
// multilayer), TIFF and the other formats it reads. Samples are read
// exactly as stored: integer formats keep their integer values, float
// formats their float values, with no colour conversion.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "apply/input/channel_image.h"

namespace qxv::apply {

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

}  // namespace qxv::apply
