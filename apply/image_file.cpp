#include "apply/image_file.h"

#include <OpenImageIO/imageio.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "apply/png_check.h"
#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

constexpr int kMaxSide = 32000;

// Some of OpenImageIO's format libraries print their own complaint about a
// damaged file on stderr besides reporting it; the tool's one line names the
// file and the reason, so theirs is silenced while a file is read.
class QuietStderr {
 public:
  QuietStderr() : saved_(dup(2)) {
    const int null = open("/dev/null", O_WRONLY);
    if (saved_ >= 0 && null >= 0) dup2(null, 2);
    if (null >= 0) close(null);
  }
  ~QuietStderr() {
    if (saved_ < 0) return;
    dup2(saved_, 2);
    close(saved_);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_;
};

// OpenImageIO's messages may span lines; the tool reports one.
std::string FirstLine(std::string message) {
  const std::string::size_type end = message.find('\n');
  if (end != std::string::npos) message.erase(end);
  return message.empty() ? "unknown error" : message;
}

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

template <typename T>
void Widen(const std::vector<unsigned char>& raw, std::size_t channel, std::size_t channels,
           std::vector<double>& samples) {
  const std::size_t n = raw.size() / sizeof(T);
  for (std::size_t i = 0; i < n; ++i) {
    T v;
    std::memcpy(&v, raw.data() + i * sizeof(T), sizeof(T));
    samples[i * channels + channel] = static_cast<double>(v);
  }
}

// Integer channels are read in their own type, since OpenImageIO would
// rescale them on the way to a float type.
void ReadIntegerChannel(OIIO::ImageInput& input, int c, OIIO::TypeDesc type, std::size_t slot,
                        ChannelImage& image) {
  std::vector<unsigned char> raw(image.Pixels() * type.size());
  if (!input.read_image(0, 0, c, c + 1, type, raw.data())) return;
  using Widener =
      void (*)(const std::vector<unsigned char>&, std::size_t, std::size_t, std::vector<double>&);
  Widener widen = &Widen<std::int32_t>;
  if (type.basetype == OIIO::TypeDesc::UINT8) widen = &Widen<std::uint8_t>;
  if (type.basetype == OIIO::TypeDesc::INT8) widen = &Widen<std::int8_t>;
  if (type.basetype == OIIO::TypeDesc::UINT16) widen = &Widen<std::uint16_t>;
  if (type.basetype == OIIO::TypeDesc::INT16) widen = &Widen<std::int16_t>;
  if (type.basetype == OIIO::TypeDesc::UINT32) widen = &Widen<std::uint32_t>;
  widen(raw, slot, image.names.size(), image.samples);
}

}  // namespace

std::vector<std::string> ChannelNames(const std::string& path) {
  QuietStderr quiet;
  auto input = Open(path);
  std::vector<std::string> names = input->spec().channelnames;
  input->close();
  return names;
}

ChannelImage ReadChannels(const std::string& path, const std::vector<std::string>& names) {
  QuietStderr quiet;
  auto input = Open(path);
  const OIIO::ImageSpec& spec = input->spec();
  ChannelImage image;
  image.width = static_cast<std::uint32_t>(spec.width);
  image.height = static_cast<std::uint32_t>(spec.height);
  image.names = names;
  image.samples.assign(image.Pixels() * names.size(), 0.0);
  for (std::size_t slot = 0; slot < names.size(); ++slot) {
    const int c = spec.channelindex(names[slot]);
    if (c < 0) InputError(path + ": no channel " + names[slot]);
    const OIIO::TypeDesc type = spec.channelformat(c);
    const double unit = IntegerUnit(type);
    image.integral.push_back(unit > 0.0);
    image.unit.push_back(unit > 0.0 ? unit : 1.0);
    if (unit > 0.0) {
      ReadIntegerChannel(*input, c, type, slot, image);
    } else {
      std::vector<double> values(image.Pixels());
      if (input->read_image(0, 0, c, c + 1, OIIO::TypeDesc::DOUBLE, values.data())) {
        for (std::size_t i = 0; i < values.size(); ++i) {
          image.samples[i * names.size() + slot] = values[i];
        }
      }
    }
    if (input->has_error()) {
      InputError(path + ": corrupt or unreadable (" + FirstLine(input->geterror()) + ")");
    }
  }
  return image;
}

bool StoresFloat(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext == ".exr" || ext == ".hdr" || ext == ".pfm";
}

void CheckWritable(const std::string& flag, const std::string& path) {
  if (!OIIO::ImageOutput::create(path)) {
    OIIO::geterror();
    UsageError(flag + ": no image format writes '" + path + "' (try .png, .exr or .tif)");
  }
}

void WriteImage(const std::string& path, const OutputImage& image) {
  auto output = OIIO::ImageOutput::create(path);
  if (!output) InputError(path + ": no image format writes this name");
  const OIIO::TypeDesc type = image.bits == 32   ? OIIO::TypeDesc::FLOAT
                              : image.bits == 16 ? OIIO::TypeDesc::UINT16
                                                 : OIIO::TypeDesc::UINT8;
  OIIO::ImageSpec spec(static_cast<int>(image.width), static_cast<int>(image.height),
                       static_cast<int>(image.Channels()), type);
  spec.channelnames = image.names;
  spec.alpha_channel = -1;
  for (std::size_t c = 0; c < image.names.size(); ++c) {
    if (image.names[c] == "A") spec.alpha_channel = static_cast<int>(c);
  }
  // Values are given as they are to be stored, alpha unassociated.
  spec.attribute("oiio:UnassociatedAlpha", 1);
  if (image.bits == 32) spec.attribute("compression", "zip");
  std::vector<float> values = image.samples;
  if (image.bits != 32) {
    const float unit = image.bits == 16 ? 65535.0f : 255.0f;
    for (float& v : values) v /= unit;
  }
  const std::string temporary = path + ".part";
  bool ok = output->open(temporary, spec) &&
            output->write_image(OIIO::TypeDesc::FLOAT, values.data()) && output->close();
  if (!ok) {
    const std::string why = FirstLine(output->geterror());
    output.reset();
    std::remove(temporary.c_str());
    InputError(path + ": cannot write (" + why + ")");
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    InputError(path + ": cannot write (cannot rename " + temporary + ")");
  }
}

}  // namespace qxv::apply
