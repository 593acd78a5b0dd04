#include "apply/input/image_input.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "apply/input/png_check.h"
#include "apply/apply_error.h"
#include "apply/message_text.h"

namespace qxv::apply {
namespace {

constexpr int kMaxSide = 32000;

std::unique_ptr<OIIO::ImageInput> Open(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) InputError(path + ": No such file");
  if (std::filesystem::is_directory(path, ignored)) InputError(path + ": is a folder");
  const std::string damage = PngDamage(path);
  if (!damage.empty()) InputError(path + ": corrupt or unreadable (" + damage + ")");
  // Samples as stored: no premultiplying of PNG's or TIFF's separate alpha.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto input = OIIO::ImageInput::open(path, &config);
  if (!input) {
    const std::string why = FirstLine(OIIO::geterror());
    if (why.find("format reader") != std::string::npos) {
      InputError(path + ": not an image file in a format pblur reads");
    }
    InputError(path + ": corrupt or unreadable (" + why + ")");
  }
  const OIIO::ImageSpec& spec = input->spec();
  if (spec.width <= 0 || spec.height <= 0 || spec.width > kMaxSide || spec.height > kMaxSide) {
    InputError(path + ": " + std::to_string(spec.width) + "x" + std::to_string(spec.height) +
               " is not from 1 to " + std::to_string(kMaxSide) + " pixels a side");
  }
  if (spec.depth > 1) InputError(path + ": a volume image, expected a flat picture");
  return input;
}

// The largest value of an integer sample type; 0 for float types.
double IntegerUnit(OIIO::TypeDesc t) {
  switch (t.basetype) {
    case OIIO::TypeDesc::UINT8:
      return 255.0;
    case OIIO::TypeDesc::INT8:
      return 127.0;
    case OIIO::TypeDesc::UINT16:
      return 65535.0;
    case OIIO::TypeDesc::INT16:
      return 32767.0;
    case OIIO::TypeDesc::UINT32:
      return 4294967295.0;
    case OIIO::TypeDesc::INT32:
      return 2147483647.0;
    default:
      return 0.0;
  }
}


// One decoded channel's place: the image and slot it goes to.
struct Target {
  std::size_t image, slot;
  int channel;
};

template <typename T, typename Out>
void ScatterTo(const T* in, std::size_t n, std::size_t stripChannels, Out* out,
               std::size_t stride) {
  for (std::size_t i = 0; i < n; ++i) out[i * stride] = static_cast<Out>(in[i * stripChannels]);
}

template <typename T>
void Scatter(const std::vector<unsigned char>& strip, std::size_t firstRow, std::size_t rows,
             int first, int stripChannels, const std::vector<Target>& targets,
             std::vector<ChannelImage>& images) {
  const std::size_t width = images.front().width;
  const T* values = reinterpret_cast<const T*>(strip.data());
  for (const Target& t : targets) {
    ChannelImage& image = images[t.image];
    const std::size_t stride = image.names.size();
    const std::size_t at = firstRow * width * stride + t.slot;
    const T* in = values + (t.channel - first);
    const std::size_t n = rows * width, step = static_cast<std::size_t>(stripChannels);
    if (image.wide.empty()) {
      ScatterTo(in, n, step, image.samples.data() + at, stride);
    } else {
      ScatterTo(in, n, step, image.wide.data() + at, stride);
    }
  }
}

using Scatterer = void (*)(const std::vector<unsigned char>&, std::size_t, std::size_t, int, int,
                           const std::vector<Target>&, std::vector<ChannelImage>&);

Scatterer ScattererFor(OIIO::TypeDesc type) {
  switch (type.basetype) {
    case OIIO::TypeDesc::UINT8: return &Scatter<std::uint8_t>;
    case OIIO::TypeDesc::INT8: return &Scatter<std::int8_t>;
    case OIIO::TypeDesc::UINT16: return &Scatter<std::uint16_t>;
    case OIIO::TypeDesc::INT16: return &Scatter<std::int16_t>;
    case OIIO::TypeDesc::UINT32: return &Scatter<std::uint32_t>;
    case OIIO::TypeDesc::INT32: return &Scatter<std::int32_t>;
    default: return &Scatter<float>;
  }
}

// Integer channels are read in their own type, since OpenImageIO would
// rescale them on the way to a float type; float and half channels as
// float, which holds both exactly.
OIIO::TypeDesc ReadType(const OIIO::ImageSpec& spec, int c) {
  const OIIO::TypeDesc t = spec.channelformat(c);
  return IntegerUnit(t) > 0.0 ? OIIO::TypeDesc(OIIO::TypeDesc::BASETYPE(t.basetype))
                              : OIIO::TypeDesc(OIIO::TypeDesc::FLOAT);
}

}  // namespace

InputFile::InputFile(const std::string& path) : path_(path) {
  input_ = Open(path);
  names_ = input_->spec().channelnames;
}

InputFile::~InputFile() {
  if (input_) input_->close();
}

std::vector<ChannelImage> InputFile::Read(const std::vector<std::vector<std::string>>& sets) {
  const OIIO::ImageSpec& spec = input_->spec();
  std::vector<ChannelImage> images(sets.size());
  std::vector<Target> targets;
  const auto metadata = std::make_shared<const OIIO::ParamValueList>(spec.extra_attribs);
  // OpenEXR stores colour premultiplied; a TIFF says which it holds, and
  // OpenImageIO marks straight alpha when asked to leave it as stored.
  const std::string format = input_->format_name();
  const bool associated =
      format == "openexr" ||
      (format == "tiff" && spec.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0);
  for (std::size_t k = 0; k < sets.size(); ++k) {
    ChannelImage& image = images[k];
    image.width = static_cast<std::uint32_t>(spec.width);
    image.height = static_cast<std::uint32_t>(spec.height);
    image.names = sets[k];
    image.associatedAlpha = associated;
    image.windows = ImageWindows{spec.x, spec.y, spec.full_x, spec.full_y, spec.full_width,
                                 spec.full_height};
    image.metadata = metadata;
    bool wide = false;
    for (std::size_t slot = 0; slot < sets[k].size(); ++slot) {
      const int c = spec.channelindex(sets[k][slot]);
      if (c < 0) InputError(path_ + ": no channel " + sets[k][slot]);
      const double unit = IntegerUnit(spec.channelformat(c));
      wide = wide || unit > 65535.0;
      image.integral.push_back(unit > 0.0);
      image.unit.push_back(unit > 0.0 ? unit : 1.0);
      targets.push_back(Target{k, slot, c});
    }
    if (wide) {
      image.wide.resize(image.Pixels() * sets[k].size());
    } else {
      image.samples.resize(image.Pixels() * sets[k].size());
    }
  }
  if (targets.empty()) return images;
  // One read of the channels from the first to the last wanted when they
  // share a read type (a multilayer render's passes do); else one read per
  // channel.
  std::vector<std::vector<Target>> reads(1, targets);
  for (const Target& t : targets) {
    if (ReadType(spec, t.channel) != ReadType(spec, targets.front().channel)) {
      reads.clear();
      for (const Target& each : targets) reads.push_back({each});
      break;
    }
  }
  const std::size_t width = static_cast<std::size_t>(spec.width);
  const std::size_t height = static_cast<std::size_t>(spec.height);
  for (const std::vector<Target>& read : reads) {
    int first = read.front().channel, last = first;
    for (const Target& t : read) {
      first = std::min(first, t.channel);
      last = std::max(last, t.channel);
    }
    const OIIO::TypeDesc type = ReadType(spec, first);
    const int channels = last - first + 1;
    const std::size_t rowBytes = width * static_cast<std::size_t>(channels) * type.size();
    // Bands of rows keep the decoded copy small; a tiled file is read whole.
    std::size_t band = std::max<std::size_t>(32, (std::size_t{8} << 20) / rowBytes) / 32 * 32;
    if (spec.tile_width > 0) band = height;
    std::vector<unsigned char> strip(std::min(band, height) * rowBytes);
    for (std::size_t row = 0; row < height; row += band) {
      const std::size_t rows = std::min(band, height - row);
      const int top = spec.y + static_cast<int>(row);
      const bool ok =
          spec.tile_width > 0
              ? input_->read_image(0, 0, first, last + 1, type, strip.data())
              : input_->read_scanlines(0, 0, top, top + static_cast<int>(rows), 0, first,
                                       last + 1, type, strip.data());
      if (!ok || input_->has_error()) {
        InputError(path_ + ": corrupt or unreadable (" + FirstLine(input_->geterror()) + ")");
      }
      ScattererFor(type)(strip, row, rows, first, channels, read, images);
    }
  }
  return images;
}

std::vector<std::string> ChannelNames(const std::string& path) { return InputFile(path).Names(); }

ChannelImage ReadChannels(const std::string& path, const std::vector<std::string>& names) {
  return InputFile(path).Read({names}).front();
}

}  // namespace qxv::apply
