#include "apply/output/image_output.h"

#include <OpenImageIO/imageio.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "apply/apply_error.h"
#include "apply/message_text.h"
#include "apply/output/checked_file.h"
#include "apply/output/memory_file.h"

namespace qxv::apply {
namespace {

// What the input said that no longer holds for the written file: how it
// was stored, and OpenImageIO's own notes about it.
bool Describes(const std::string& name) {
  static const char* const kStorage[] = {"compression", "planarconfig", "name", "openexr:",
                                         "oiio:", "png:", "tiff:", "jpeg:"};
  for (const char* prefix : kStorage) {
    if (name.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

OIIO::ImageSpec SpecOf(const OutputImage& image, OIIO::TypeDesc type) {
  OIIO::ImageSpec spec(static_cast<int>(image.width), static_cast<int>(image.height),
                       static_cast<int>(image.Channels()), type);
  if (image.metadata) {
    for (const OIIO::ParamValue& p : *image.metadata) {
      if (!Describes(p.name().string())) spec.extra_attribs.push_back(p);
    }
  }
  spec.channelnames = image.names;
  spec.alpha_channel = -1;
  for (std::size_t c = 0; c < image.names.size(); ++c) {
    if (image.names[c] == "A") spec.alpha_channel = static_cast<int>(c);
  }
  const ImageWindows& w = image.windows;
  spec.x = w.x;
  spec.y = w.y;
  if (w.fullWidth > 0 && w.fullHeight > 0) {
    spec.full_x = w.fullX;
    spec.full_y = w.fullY;
    spec.full_width = w.fullWidth;
    spec.full_height = w.fullHeight;
  } else {
    spec.full_x = w.x;
    spec.full_y = w.y;
  }
  // Values go out exactly as given: straight colour stays straight.
  if (!image.associatedAlpha) spec.attribute("oiio:UnassociatedAlpha", 1);
  spec.attribute("oiio:ColorSpace", image.bits == 32 ? "Linear" : "sRGB");
  // Speed before size, measured on a 1080p render: zlib's fastest level
  // with the one cheap "sub" filter writes a PNG in about 40% of the time
  // of the default filters; PIZ writes 32-bit float OpenEXR about twice as
  // fast as ZIP, losslessly, at a similar size.
  spec.attribute("png:compressionLevel", 1);
  spec.attribute("png:filter", 0x10);  // PNG_FILTER_SUB
  if (image.bits == 32) spec.attribute("compression", "piz");
  return spec;
}

// The samples in the integer type they are stored as; float samples are
// written from the picture itself.
std::vector<unsigned char> Stored(const OutputImage& image, OIIO::TypeDesc type) {
  if (image.bits == 32) return {};
  std::vector<unsigned char> bytes(image.samples.size() * type.size());
  if (image.bits == 16) {
    auto* out = reinterpret_cast<std::uint16_t*>(bytes.data());
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
      out[i] = static_cast<std::uint16_t>(image.samples[i]);
    }
  } else {
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
      bytes[i] = static_cast<unsigned char>(image.samples[i]);
    }
  }
  return bytes;
}

// Formats whose writers encode into memory as they do into a file. The TIFF
// writer's directories come out broken that way.
bool EncodesInMemory(const std::string& format) {
  return format == "png" || format == "openexr" || format == "jpeg";
}

// Empty when the file reads back whole, as wide, tall and deep as it was written;
// otherwise why not. A full disk can leave a short file behind a writer
// that reported success.
std::string ReadBackFailure(const std::string& path, const OIIO::ImageSpec& written) {
  auto input = OIIO::ImageInput::open(path);
  if (!input) {
    const std::string why = FirstLine(OIIO::geterror());
    return why.find("No space") != std::string::npos ? why : "the file does not read back: " + why;
  }
  const OIIO::ImageSpec& spec = input->spec();
  std::vector<unsigned char> pixels(spec.image_bytes());
  if (spec.width != written.width || spec.height != written.height ||
      !input->read_image(0, 0, 0, spec.nchannels, spec.format, pixels.data())) {
    return "the file does not read back whole (is the disk full?)";
  }
  return "";
}

}  // namespace

bool StoresFloat(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext == ".exr" || ext == ".hdr" || ext == ".pfm";
}

void CheckWritable(const std::string& flag, const std::string& path) {
  const auto output = OIIO::ImageOutput::create(path);
  if (!output) {
    OIIO::geterror();
    UsageError(flag + ": no image format writes '" + path + "' (try .png, .exr or .tif)");
  }
}

void WriteImage(const std::string& path, const OutputImage& image, WriteFault* fault) {
  auto output = OIIO::ImageOutput::create(path);
  if (!output) OutputError(path + ": no image format writes this name");
  const OIIO::TypeDesc type = image.bits == 32   ? OIIO::TypeDesc::FLOAT
                              : image.bits == 16 ? OIIO::TypeDesc::UINT16
                                                 : OIIO::TypeDesc::UINT8;
  const OIIO::ImageSpec spec = SpecOf(image, type);
  const std::vector<unsigned char> stored = Stored(image, type);
  const void* const pixels = image.bits == 32 ? static_cast<const void*>(image.samples.data())
                                              : static_cast<const void*>(stored.data());
  if (EncodesInMemory(output->format_name())) {
    // Encoded whole in memory, then every byte goes out through one checked
    // write: some of the formats' own writers let a failed write pass.
    std::vector<unsigned char> encoded;
    // Most pictures encode into less than their samples take, so the buffer
    // seldom grows (and copies itself) while the writer fills it.
    encoded.reserve(image.samples.size() * type.size());
    MemoryFile memory(encoded);
    const bool ok = output->set_ioproxy(&memory) && output->open(path, spec) &&
                    output->write_image(type, pixels) && output->close();
    if (!ok) OutputError(path + ": cannot write (" + FirstLine(output->geterror()) + ")");
    output.reset();
    const std::string failure = WriteWholeFile(path, encoded, fault);
    if (!failure.empty()) OutputError(path + ": cannot write (" + failure + ")");
    return;
  }
  // Other formats write the temporary file themselves; it is read back whole
  // before it takes the final name, so a write the format's writer lost
  // shows as a file that does not read.
  const std::string temporary = path + ".part";
  bool ok = output->open(temporary, spec) && output->write_image(type, pixels) &&
            output->close();
  std::string why = ok ? "" : FirstLine(output->geterror());
  output.reset();
  if (ok) {
    why = ReadBackFailure(temporary, spec);
    ok = why.empty();
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    why = std::strerror(errno);
    ok = false;
  }
  if (!ok) {
    std::remove(temporary.c_str());
    OutputError(path + ": cannot write (" + why + ")");
  }
}

}  // namespace qxv::apply
