// How colour goes into the module's codes and comes back: the codes' two
// ranges, stored values kept where the blur changed nothing, and alpha in
// each format's own convention.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "apply/colour/colour_frame.h"
#include "apply/colour/srgb.h"

namespace qxv::apply {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// One row of RGBA (or RGB) pixels as a file would give them.
ChannelImage Stored(std::vector<float> samples, bool alpha, double unit, bool associated) {
  ChannelImage image;
  const std::size_t channels = alpha ? 4 : 3;
  image.width = static_cast<std::uint32_t>(samples.size() / channels);
  image.height = 1;
  image.names = {"R", "G", "B"};
  if (alpha) image.names.push_back("A");
  image.integral.assign(channels, unit > 1.0);
  image.unit.assign(channels, unit);
  image.samples = std::move(samples);
  image.associatedAlpha = associated;
  return image;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ApplyColourCodesTest, EveryCodeComesBackAndTheExtendedRangeReachesPastOne) {
  for (CodeRange range : {CodeRange::Display, CodeRange::Extended}) {
    for (int c = 0; c < 256; ++c) {
      const auto code = static_cast<std::uint8_t>(c);
      EXPECT_EQ(EncodeLinear(DecodeLinear(code, range), range), code) << c;
    }
  }
  // Below the knee both ranges are plain sRGB; above it the extended one
  // still tells bright values apart.
  for (double v : {0.0, 0.001, 0.2, 0.49}) {
    EXPECT_EQ(EncodeLinear(v, CodeRange::Extended), EncodeSrgb(v)) << v;
  }
  EXPECT_EQ(EncodeLinear(4.0, CodeRange::Display), 255);
  EXPECT_LT(EncodeLinear(1.0, CodeRange::Extended), EncodeLinear(4.0, CodeRange::Extended));
  EXPECT_LT(EncodeLinear(4.0, CodeRange::Extended), EncodeLinear(16.0, CodeRange::Extended));
  EXPECT_GT(DecodeLinear(255, CodeRange::Extended), 20.0);
  EXPECT_EQ(EncodeLinear(kNaN, CodeRange::Extended), 0);
  EXPECT_EQ(EncodeLinear(std::numeric_limits<double>::infinity(), CodeRange::Extended), 255);
}

TEST(ApplyColourFrameTest, PixelsTheBlurLeavesKeepTheirStoredValues) {
  struct Case {
    const char* name;
    ChannelImage stored;
    int bits;
  };
  const Case cases[] = {
      {"float above 1 and odd values to float",
       Stored({7.5f, 0.25f, -0.0f, 1.0f, kNaN, 1e30f, 0.1f, 0.5f}, true, 1.0, true), 32},
      {"half-like float without alpha", Stored({0.5f, 2.0f, 1024.0f}, false, 1.0, true), 32},
      {"8-bit straight alpha", Stored({200, 10, 3, 79, 255, 255, 255, 0}, true, 255.0, false), 8},
      {"16-bit straight alpha",
       Stored({65535, 12345, 1, 20000, 257, 0, 65534, 65535}, true, 65535.0, false), 16},
      {"16-bit without alpha", Stored({40000, 3, 65535}, false, 65535.0, false), 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ColourCodes codes = CodesOf(c.stored, RangeFor(c.bits));
    const OutputImage out = ColourPicture(c.stored, codes, codes, c.bits);
    ASSERT_EQ(out.samples.size(), c.stored.samples.size());
    for (std::size_t i = 0; i < out.samples.size(); ++i) {
      EXPECT_TRUE(SameBits(out.samples[i], c.stored.samples[i]))
          << "sample " << i << ": " << out.samples[i] << " for " << c.stored.samples[i];
    }
  }
}

TEST(ApplyColourFrameTest, ColourIsBlurredPremultipliedAndWrittenInEachFormatsConvention) {
  // An edge pixel at 31% coverage, premultiplied as a renderer stores it.
  const float premultiplied = static_cast<float>(DecodeSrgb(121));
  const ChannelImage edge = Stored({premultiplied, 0.0f, 0.0f, 0.31f}, true, 1.0, true);
  const ColourCodes codes = CodesOf(edge, CodeRange::Display);
  EXPECT_EQ(codes.colour[0], 121u << 16);
  EXPECT_EQ(codes.alpha[0], 79u);
  // PNG stores straight colour: about 205, kept or blurred alike.
  ColourCodes blurred = codes;
  blurred.alpha[0] = 80;  // a streak changed it a little
  for (const ColourCodes& after : {codes, blurred}) {
    const OutputImage png = ColourPicture(edge, codes, after, 8);
    EXPECT_NEAR(png.samples[0], 205.0f, 2.0f);
    EXPECT_EQ(png.samples[3], static_cast<float>(after.alpha[0]));
    EXPECT_FALSE(png.associatedAlpha);
  }
  // OpenEXR keeps it premultiplied.
  const OutputImage exr = ColourPicture(edge, codes, blurred, 32);
  EXPECT_TRUE(exr.associatedAlpha);
  EXPECT_NEAR(exr.samples[0], premultiplied, 0.01f);
  EXPECT_NEAR(exr.samples[3], 80.0f / 255.0f, 1e-6f);

  // Straight 8-bit colour is premultiplied on the way in.
  const ChannelImage straight = Stored({206, 0, 0, 79}, true, 255.0, false);
  EXPECT_NEAR(static_cast<double>(CodesOf(straight, CodeRange::Display).colour[0] >> 16), 121.0,
              1.0);
  // A streak pixel of a highlight stays bright in a float output.
  ColourCodes bright = CodesOf(Stored({12.0f, 0.0f, 0.0f}, false, 1.0, true), CodeRange::Extended);
  const OutputImage hdr =
      ColourPicture(Stored({0.0f, 0.0f, 0.0f}, false, 1.0, true),
                    CodesOf(Stored({0.0f, 0.0f, 0.0f}, false, 1.0, true), CodeRange::Extended),
                    bright, 32);
  EXPECT_NEAR(hdr.samples[0], 12.0f, 2.5f);  // codes grow coarse that high
}

}  // namespace
}  // namespace qxv::apply
