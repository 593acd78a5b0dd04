#include "apply/colour/colour_frame.h"

#include <array>

#include "apply/colour/srgb.h"

namespace qxv::apply {
namespace {

bool HasAlpha(const ChannelImage& s) { return s.names.size() == 4; }

// The pixel's alpha as a fraction, 1 without alpha.
double AlphaOf(const ChannelImage& s, std::size_t i) {
  return HasAlpha(s) ? ClampUnit(s.At(i, 3) / s.unit[3]) : 1.0;
}

// A stored colour sample as linear light, premultiplied.
double Premultiplied(const ChannelImage& s, std::size_t i, std::size_t c, double alpha) {
  const double v = s.At(i, c);
  const double linear = s.integral[c] ? SrgbToLinear(ClampUnit(v / s.unit[c])) : v;
  return s.associatedAlpha ? linear : linear * alpha;
}

// Whether a pixel's stored samples go out unchanged at `bits`.
bool StoredAsWritten(const ChannelImage& s, int bits) {
  if (bits == 32) {
    for (std::size_t c = 0; c < s.names.size(); ++c) {
      if (s.integral[c]) return false;
    }
    return s.associatedAlpha || !HasAlpha(s);
  }
  const double unit = bits == 16 ? 65535.0 : 255.0;
  for (std::size_t c = 0; c < s.names.size(); ++c) {
    if (!s.integral[c] || s.unit[c] != unit) return false;
  }
  return !s.associatedAlpha || !HasAlpha(s);
}

// The 8-bit straight code a blurred sample goes out as, by its alpha code
// (255 without alpha) and its colour code: exactly what decoding, dividing
// and encoding again give, worked out once for all 65536 pairs rather than
// per sample.
std::uint8_t BlurredCode(std::uint32_t alpha, std::uint32_t code) {
  static const std::array<std::uint8_t, 256 * 256> codes = [] {
    std::array<std::uint8_t, 256 * 256> t{};
    for (std::uint32_t a = 0; a < 256; ++a) {
      const double fraction = a / 255.0;
      for (std::uint32_t c = 0; c < 256; ++c) {
        const double p = DecodeLinear(static_cast<std::uint8_t>(c), CodeRange::Display);
        const double straight = fraction > 0.0 ? p / fraction : 0.0;
        t[a * 256 + c] = EncodeLinear(straight, CodeRange::Display);
      }
    }
    return t;
  }();
  return codes[alpha * 256 + code];
}

}  // namespace

ColourCodes CodesOf(const ChannelImage& s, CodeRange range) {
  ColourCodes codes;
  codes.colour.assign(s.Pixels(), 0);
  if (HasAlpha(s)) codes.alpha.assign(s.Pixels(), 0);
  for (std::size_t i = 0; i < s.Pixels(); ++i) {
    const double alpha = AlphaOf(s, i);
    // Integer colour that needs no premultiplying keeps its encoded value.
    const bool asEncoded = range == CodeRange::Display && (s.associatedAlpha || alpha == 1.0);
    std::uint32_t rgb = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      const std::uint32_t code = s.integral[c] && asEncoded
                                     ? Level(s.At(i, c) / s.unit[c], 255.0)
                                     : EncodeLinear(Premultiplied(s, i, c, alpha), range);
      rgb = rgb << 8 | code;
    }
    codes.colour[i] = rgb;
    if (!codes.alpha.empty()) codes.alpha[i] = Level(alpha, 255.0);
  }
  return codes;
}

int OutputBits(const std::string& path, const ChannelImage& stored) {
  if (StoresFloat(path)) return 32;
  for (std::size_t c = 0; c < stored.names.size(); ++c) {
    if (stored.integral[c] && stored.unit[c] > 255.0) return 16;
  }
  return 8;
}

CodeRange RangeFor(int outputBits) {
  return outputBits == 32 ? CodeRange::Extended : CodeRange::Display;
}

OutputImage ColourPicture(const ChannelImage& s, const ColourCodes& input,
                          const ColourCodes& blurred, int bits) {
  OutputImage image;
  image.width = s.width;
  image.height = s.height;
  image.names = {"R", "G", "B"};
  const bool alpha = !input.alpha.empty();
  if (alpha) image.names.push_back("A");
  image.bits = bits;
  image.associatedAlpha = bits == 32;
  image.windows = s.windows;
  image.metadata = s.metadata;
  const std::size_t channels = image.Channels();
  image.samples.resize(s.Pixels() * channels);
  const CodeRange range = RangeFor(bits);
  const bool copies = StoredAsWritten(s, bits);
  const double unit = bits == 16 ? 65535.0 : 255.0;
  for (std::size_t i = 0; i < s.Pixels(); ++i) {
    float* out = &image.samples[i * channels];
    const bool kept = blurred.colour[i] == input.colour[i] &&
                      (!alpha || blurred.alpha[i] == input.alpha[i]);
    if (kept && copies) {
      for (std::size_t c = 0; c < channels; ++c) out[c] = static_cast<float>(s.At(i, c));
      continue;
    }
    if (!kept && bits == 8) {
      const std::uint32_t alphaCode = alpha ? blurred.alpha[i] : 255u;
      for (std::size_t c = 0; c < 3; ++c) {
        out[c] = static_cast<float>(BlurredCode(alphaCode, (blurred.colour[i] >> (16 - 8 * c)) & 0xFF));
      }
      if (alpha) out[3] = static_cast<float>(alphaCode);
      continue;
    }
    double a = 1.0, p[3];
    if (kept) {
      a = AlphaOf(s, i);
      for (std::size_t c = 0; c < 3; ++c) p[c] = Premultiplied(s, i, c, a);
    } else {
      if (alpha) a = blurred.alpha[i] / 255.0;
      for (std::size_t c = 0; c < 3; ++c) {
        p[c] = DecodeLinear(static_cast<std::uint8_t>(blurred.colour[i] >> (16 - 8 * c)), range);
      }
    }
    for (std::size_t c = 0; c < 3; ++c) {
      if (bits == 32) {
        out[c] = static_cast<float>(p[c]);
      } else {
        // Straight colour: the premultiplied value over its coverage.
        const double straight = a > 0.0 ? p[c] / a : 0.0;
        out[c] = bits == 8 ? static_cast<float>(EncodeLinear(straight, CodeRange::Display))
                           : static_cast<float>(Level(LinearToSrgb(straight), unit));
      }
    }
    if (alpha) out[3] = bits == 32 ? static_cast<float>(a) : static_cast<float>(Level(a, unit));
  }
  return image;
}

}  // namespace qxv::apply
