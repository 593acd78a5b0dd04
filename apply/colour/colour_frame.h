// A frame's colour on its way through the module: as stored, as the codes
// the module blurs (premultiplied by alpha, as renderers store colour), and
// back into a picture that keeps the stored values wherever the blur left
// a pixel as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "apply/colour/colour_codes.h"
#include "apply/input/channel_image.h"
#include "apply/output/image_output.h"

namespace qxv::apply {

struct ColourCodes {
  std::vector<std::uint32_t> colour;  // 0x00RRGGBB, premultiplied
  std::vector<std::uint32_t> alpha;   // 0..255; empty without alpha
};

// Integer samples are sRGB-encoded and float samples linear light; straight
// colour is premultiplied on the way in. NaN counts as 0 everywhere.
ColourCodes CodesOf(const ChannelImage& stored, CodeRange range);

// The sample depth written to `path` for colour stored as `stored`: 32
// (float) where the format stores floats; else the input's integer depth
// (8 or 16), and 8 for float input.
int OutputBits(const std::string& path, const ChannelImage& stored);

CodeRange RangeFor(int outputBits);

// The blurred frame as it is written at `bits`: premultiplied floats, or
// straight integer colour. A pixel whose codes the blur left as they were
// (alpha too) keeps its stored values: bit for bit where the output stores
// what the input stored (floats to floats, integers to integers of the same
// depth), else converted from them rather than from its codes. Keeps the
// stored frame's windows and metadata.
OutputImage ColourPicture(const ChannelImage& stored, const ColourCodes& input,
                          const ColourCodes& blurred, int bits);

// The stored colour as linear light premultiplied by alpha, four floats a
// pixel (alpha 1 without alpha; integer samples decoded from sRGB), as the
// shutter look blurs it. Uses every core, as the shutter look does.
std::vector<float> LinearRgba(const ChannelImage& stored);

// The shutter look's frame as it is written at `bits`, as ColourPicture
// writes the module's: pixels marked `kept` keep their stored values.
// Uses every core.
OutputImage LinearPicture(const ChannelImage& stored, const std::vector<float>& rgba,
                          const std::vector<std::uint8_t>& kept, int bits);

}  // namespace qxv::apply
