// What apply makes of the samples renderers write, including the ones that
// are not numbers, and which channels of a file each pass reads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "apply/input/pass_source.h"
#include "apply/colour/srgb.h"
#include "apply/passes/pass_values.h"
#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// One float channel (or two) holding the given samples in a row.
ChannelImage Floats(std::vector<double> samples, std::size_t channels = 1) {
  ChannelImage image;
  image.width = static_cast<std::uint32_t>(samples.size() / channels);
  image.height = 1;
  for (std::size_t c = 0; c < channels; ++c) {
    image.names.push_back("c" + std::to_string(c));
    image.integral.push_back(false);
    image.unit.push_back(1.0);
  }
  image.wide = std::move(samples);
  return image;
}

ChannelImage Integers(std::vector<double> samples, double unit) {
  ChannelImage image = Floats(std::move(samples));
  image.integral = {true};
  image.unit = {unit};
  return image;
}

TEST(ApplyPassValuesTest, SrgbRoundTripsEveryByteAndClampsTheRest) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(EncodeSrgb(DecodeSrgb(static_cast<std::uint8_t>(b))), b);
    // Through a float, as an EXR stores it.
    EXPECT_EQ(EncodeSrgb(static_cast<float>(DecodeSrgb(static_cast<std::uint8_t>(b)))), b);
  }
  const std::pair<double, int> cases[] = {{-1.0, 0},  {kNaN, 0},  {-kInf, 0}, {0.5, 188},
                                          {1.0, 255}, {7.5, 255}, {kInf, 255}};
  for (const auto& [linear, encoded] : cases) EXPECT_EQ(EncodeSrgb(linear), encoded) << linear;
}

TEST(ApplyPassValuesTest, ObjectNumbersKeepEachIndexAcrossFramesAndDropBackground) {
  ObjectNumbers numbers;
  EXPECT_EQ(numbers.Number(Floats({0, 7, kNaN, -3, 2.4, kInf, 7.2, 1e30})),
            (std::vector<std::uint32_t>{0, 1, 0, 0, 2, 0, 1, 3}));
  // Later frames: the same index, the same number; new ones count on.
  EXPECT_EQ(numbers.Number(Integers({1e30, 2, 9}, 65535)), (std::vector<std::uint32_t>{3, 2, 4}));
  EXPECT_EQ(numbers.Count(), 4u);
}

TEST(ApplyPassValuesTest, MatchDepthAndAlternateTakeAnyValue) {
  EXPECT_EQ(MatchValues(Floats({kNaN, -5, 3.9, 1e20, kInf, -kInf})),
            (std::vector<std::uint32_t>{0, 0, 3, 0xFFFFFFFF, 0xFFFFFFFF, 0}));
  EXPECT_EQ(MatchValues(Integers({65535, 4294967295.0}, 65535)),
            (std::vector<std::uint32_t>{65535, 0xFFFFFFFF}));

  const std::vector<std::uint32_t> depth =
      DepthValues(Floats({-1, 0, 1e-30, 0.5, 2, 1e10, 3.5e38, kInf, kNaN}));
  for (std::size_t i = 2; i < depth.size(); ++i) {
    EXPECT_LE(depth[i - 1], depth[i]) << "order at " << i;
    // The module reads depth differences as signed 32-bit numbers.
    EXPECT_LT(depth[i], 0x80000000u);
  }
  EXPECT_EQ(depth[0], depth[1]);
  EXPECT_EQ(depth[7], depth[8]);
  EXPECT_LT(depth[5], depth[7]);
  EXPECT_EQ(DepthValues(Integers({65535, 4294967295.0}, 65535)),
            (std::vector<std::uint32_t>{65535, 0x7FFFFFFF}));

  EXPECT_EQ(AlternateValues(Floats({0, 0.1, -2, kNaN, kInf})),
            (std::vector<std::uint32_t>{0, 1, 1, 0, 1}));
}

TEST(ApplyPassValuesTest, UvFractionsWrapAtTheSeam) {
  // Two pixels of one object with a background pixel between: no pixel of
  // the object lies inside its silhouette, so each keeps its own UV.
  std::vector<std::uint32_t> m1, m2;
  const std::vector<std::uint32_t> apart = {1, 0, 1};
  UvMatchValues(Floats({0.999, 0.25, 0, 0, 1.001, 1.0}, 2), apart, &m1, &m2);
  // 0.999 and 1.001 lie 0.002 apart across the seam.
  EXPECT_LT(m1[2] - m1[0], 0.0021 * 4294967296.0);
  EXPECT_EQ(m2[2], 0u);
  EXPECT_EQ(m2[0], 0x40000000u);
  UvMatchValues(Floats({kNaN, kInf, -0.25, 3.5, 0, 0}, 2), apart, &m1, &m2);
  EXPECT_EQ(m1[0], 0u);
  EXPECT_EQ(m2[0], 0u);
  EXPECT_EQ(m1[1], 0xC0000000u);
  EXPECT_EQ(m2[1], 0x80000000u);

  // A silhouette pixel takes its UV from its object's pixel inside.
  ChannelImage row = Floats({0.9, 0.9, 0.1, 0.1, 0.2, 0.2, 0.3, 0.3, 0.4, 0.4}, 2);
  UvMatchValues(row, {0, 5, 5, 5, 0}, &m1, &m2);
  EXPECT_EQ(m1[1], m1[2]);
  EXPECT_EQ(m1[3], m1[2]);
  EXPECT_NE(m1[0], m1[2]);  // the background keeps its own
}

struct Choice {
  std::string request;
  PassShape shape;
  std::vector<std::string> chosen;  // empty: an error
  std::string message;
};

TEST(ApplyPassSourceTest, ChoosesChannelsByLayerNameOrList) {
  const std::vector<std::string> blender = {
      "View.Combined.R", "View.Combined.G", "View.Combined.B", "View.Combined.A", "View.Depth.Z",
      "View.IndexOB.X",  "View.UV.A",       "View.UV.U",       "View.UV.V",       "View.Vector.X",
      "View.Vector.Y",   "View.Vector.Z",   "View.Vector.W"};
  const Choice cases[] = {
      {"View.Combined",
       PassShape::Colour,
       {"View.Combined.R", "View.Combined.G", "View.Combined.B", "View.Combined.A"},
       ""},
      // RGB is found in the whole file too; the A of another layer is not taken.
      {"",
       PassShape::Colour,
       {"View.Combined.R", "View.Combined.G", "View.Combined.B", "View.Combined.A"},
       ""},
      {"View.UV", PassShape::Pair, {"View.UV.U", "View.UV.V"}, ""},
      {"View.Vector", PassShape::Pair, {"View.Vector.X", "View.Vector.Y"}, ""},
      {"View.Vector.Z,View.Vector.W", PassShape::Pair, {"View.Vector.Z", "View.Vector.W"}, ""},
      // The shutter look's vectors: to the next frame too, where the layer has them.
      {"View.Vector",
       PassShape::Motion,
       {"View.Vector.X", "View.Vector.Y", "View.Vector.Z", "View.Vector.W"},
       ""},
      {"View.UV", PassShape::Motion, {}, "f.exr:View.UV: 3 channels (View.UV.A, View.UV.U, View.UV.V), expected 2 or 4"},
      {"View.IndexOB", PassShape::Value, {"View.IndexOB.X"}, ""},
      {"View.Depth.Z", PassShape::Value, {"View.Depth.Z"}, ""},
      {"View.Combined.R,View.Combined.G,View.Combined.B",
       PassShape::Colour,
       {"View.Combined.R", "View.Combined.G", "View.Combined.B"},
       ""},
      {"", PassShape::Pair, {}, "f.exr: more than one layer fits (View.UV.*, View.Vector.*)"},
      {"", PassShape::Value, {}, "f.exr: 13 channels ("},
      {"View", PassShape::Value, {}, "f.exr:View: 13 channels"},
      {"View.Depth", PassShape::Pair, {}, "f.exr:View.Depth: 1 channel (View.Depth.Z), expected 2"},
      {"View.Depth.Z", PassShape::Colour, {}, "f.exr:View.Depth.Z: 1 channel, expected 3 or 4"},
      {"View.UV.U,View.UV.Q",
       PassShape::Pair,
       {},
       "f.exr: no channel 'View.UV.Q'; its channels: View.Combined.R,"},
      {"Other",
       PassShape::Value,
       {},
       "f.exr: no channel or layer 'Other'; its channels: View.Combined.R,"},
      {"View.Combined.R,View.Combined.G", PassShape::Value, {}, "2 channels, expected 1"},
  };
  for (const Choice& c : cases) {
    SCOPED_TRACE("'" + c.request + "'");
    if (!c.chosen.empty()) {
      EXPECT_EQ(ChooseChannels("f.exr", blender, c.request, c.shape), c.chosen);
      continue;
    }
    try {
      ChooseChannels("f.exr", blender, c.request, c.shape);
      ADD_FAILURE() << "no error";
    } catch (const ApplyError& e) {
      EXPECT_EQ(e.kind, ErrorKind::Input);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  // Plain files: the channels by count.
  EXPECT_EQ(ChooseChannels("g.png", {"Y"}, "", PassShape::Value), std::vector<std::string>{"Y"});
  EXPECT_EQ(ChooseChannels("c.tif", {"R", "G", "B", "A"}, "", PassShape::Colour),
            (std::vector<std::string>{"R", "G", "B", "A"}));
  EXPECT_EQ(ChooseChannels("uv.tif", {"a", "b"}, "", PassShape::Pair),
            (std::vector<std::string>{"a", "b"}));
}

TEST(ApplyPassSourceTest, SplitsChannelsOffOnlyAfterTheFrameNumber) {
  const std::pair<std::string, PassSource> cases[] = {
      {"r_####.exr:View.UV", {"r_####.exr", "View.UV"}},
      {"r_%04d.exr:A,B", {"r_%04d.exr", "A,B"}},
      {"r_%04d.exr", {"r_%04d.exr", ""}},
      {"dir:1/r_%d.png", {"dir:1/r_%d.png", ""}},
      {"a:b/r_%d.exr:Z", {"a:b/r_%d.exr", "Z"}},
  };
  for (const auto& [value, expected] : cases) {
    const PassSource s = ParsePassSource("--depth", value);
    EXPECT_EQ(s.pattern, expected.pattern) << value;
    EXPECT_EQ(s.channels, expected.channels) << value;
  }
}

}  // namespace
}  // namespace qxv::apply
