#include "apply/colour/colour_frame.h"


#include "apply/colour/srgb.h"
#include "shutter/rows.h"

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

namespace {

// The picture at `bits` from the stored frame and, per pixel, the blurred
// premultiplied linear colour: `blurred(i, &alpha, rgb)` fills them and
// returns true, or returns false where the blur left the pixel as it was.
// `threads` as shutter::Settings::threads (0: every core); `blurred` is
// then called from that many threads at once.
template <typename Blurred>
OutputImage Picture(const ChannelImage& s, bool alpha, int bits, Blurred blurred,
                    unsigned threads = 1) {
  OutputImage image;
  image.width = s.width;
  image.height = s.height;
  image.names = {"R", "G", "B"};
  if (alpha) image.names.push_back("A");
  image.bits = bits;
  image.associatedAlpha = bits == 32;
  image.windows = s.windows;
  image.metadata = s.metadata;
  const std::size_t channels = image.Channels();
  image.samples.resize(s.Pixels() * channels);
  const bool copies = StoredAsWritten(s, bits);
  const double unit = bits == 16 ? 65535.0 : 255.0;
  shutter::ForEachRow(s.height, threads, [&](std::uint32_t y) {
    for (std::size_t i = std::size_t{y} * s.width; i < (std::size_t{y} + 1) * s.width; ++i) {
      float* out = &image.samples[i * channels];
      double a = 1.0, p[3];
      const bool kept = !blurred(i, &a, p);
      if (kept && copies) {
        for (std::size_t c = 0; c < channels; ++c) out[c] = static_cast<float>(s.At(i, c));
        continue;
      }
      if (kept) {
        a = AlphaOf(s, i);
        for (std::size_t c = 0; c < 3; ++c) p[c] = Premultiplied(s, i, c, a);
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
  });
  return image;
}

}  // namespace

OutputImage ColourPicture(const ChannelImage& s, const ColourCodes& input,
                          const ColourCodes& blurred, int bits) {
  const bool alpha = !input.alpha.empty();
  const CodeRange range = RangeFor(bits);
  return Picture(s, alpha, bits, [&](std::size_t i, double* a, double* p) {
    if (blurred.colour[i] == input.colour[i] && (!alpha || blurred.alpha[i] == input.alpha[i])) {
      return false;
    }
    if (alpha) *a = blurred.alpha[i] / 255.0;
    for (std::size_t c = 0; c < 3; ++c) {
      p[c] = DecodeLinear(static_cast<std::uint8_t>(blurred.colour[i] >> (16 - 8 * c)), range);
    }
    return true;
  });
}

std::vector<float> LinearRgba(const ChannelImage& s) {
  std::vector<float> rgba(s.Pixels() * 4);
  shutter::ForEachRow(s.height, 0, [&](std::uint32_t y) {
    for (std::size_t i = std::size_t{y} * s.width; i < (std::size_t{y} + 1) * s.width; ++i) {
      const double alpha = AlphaOf(s, i);
      for (std::size_t c = 0; c < 3; ++c) {
        rgba[i * 4 + c] = static_cast<float>(Premultiplied(s, i, c, alpha));
      }
      rgba[i * 4 + 3] = static_cast<float>(alpha);
    }
  });
  return rgba;
}

OutputImage LinearPicture(const ChannelImage& s, const std::vector<float>& rgba,
                          const std::vector<std::uint8_t>& kept, int bits) {
  return Picture(s, HasAlpha(s), bits, [&](std::size_t i, double* a, double* p) {
    if (kept[i]) return false;
    *a = rgba[i * 4 + 3];
    for (std::size_t c = 0; c < 3; ++c) p[c] = rgba[i * 4 + c];
    return true;
  }, 0);
}

}  // namespace qxv::apply
