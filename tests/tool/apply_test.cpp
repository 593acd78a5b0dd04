// pblur apply reproduces the demo's blurred frames from the demo's own
// passes, whatever file format and sample type carries them, and blurs
// alpha along with the colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

#include "tests/tool/support.h"
#include "apply/input/frame_pattern.h"
#include "apply/output/output_images.h"
#include "apply/colour/srgb.h"

namespace qxv::tool::test {
namespace {

constexpr int kFrames = 3;
constexpr std::uint32_t kWidth = 128, kHeight = 72;

std::string Frame(int f) { return std::to_string(1000 + f).substr(1); }

// Without a scene apply sees no Weights and no groups, so the demo runs in
// mode "all" without the depth test, where neither counts.
const std::vector<std::string> kShared = {
    "--mode", "all",        "--tile", "32x32",        "--quiet", "--streak-length",
    "10",     "--strength", "6",      "--alt-length", "20"};

class ToolApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> demo = {
        "demo",     "--out",          in_, "--size", "128x72", "--frames", std::to_string(kFrames),
        "--passes", "--no-depth-test"};
    demo.insert(demo.end(), kShared.begin(), kShared.end());
    ToolRun made = RunTool(demo);
    ASSERT_EQ(made.status, 0) << made.err;
  }

  std::vector<float> Floats(const std::string& stem, int f) const {
    const std::vector<std::uint16_t> s = Samples(in_ + "/" + stem + "_" + Frame(f) + ".png");
    return std::vector<float>(s.begin(), s.end());
  }

  // The rendered colour as RGBA with the given alpha per pixel (frame,
  // pixel, index).
  void WriteRgba(const std::string& pattern,
                 std::function<std::uint32_t(int, std::size_t, float)> a) {
    for (int f = 0; f <= kFrames; ++f) {
      const std::vector<std::uint16_t> rgb = Samples(in_ + "/rendered_" + Frame(f) + ".png");
      const std::vector<float> index = Floats("index", f);
      std::vector<std::uint32_t> colour(index.size()), alpha(index.size());
      for (std::size_t i = 0; i < index.size(); ++i) {
        colour[i] =
            std::uint32_t{rgb[3 * i]} << 16 | std::uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
        alpha[i] = a(f, i, index[i]);
        if (alpha[i] == 0) colour[i] = 0;  // associated alpha, as renderers write it
      }
      apply::WriteImage(apply::FrameName(pattern, f), apply::ColourImage(colour, alpha, kWidth, kHeight, false));
    }
  }

  ToolRun Apply(std::vector<std::string> args) const {
    args.insert(args.begin(), "apply");
    args.insert(args.end(), kShared.begin(), kShared.end());
    return RunTool(args);
  }

  // apply over the demo's PNG passes with another colour.
  ToolRun ApplyPng(const std::string& colour, const std::string& output) const {
    std::vector<std::string> args = PngPasses(colour);
    args.insert(args.end(), {"--output", output});
    return Apply(args);
  }

  std::vector<std::string> PngPasses(const std::string& colour) const {
    return {"--colour",    colour,
            "--index",     in_ + "/index_%03d.png",
            "--match1",    in_ + "/match1_%03d.png",
            "--match2",    in_ + "/match2_%03d.png",
            "--alternate", in_ + "/alternate_%03d.png"};
  }

  ScratchFolder scratch_;
  const std::string in_ = scratch_ / "demo";
};

TEST_F(ToolApplyTest, EqualsTheDemoBlurredFramesWhateverCarriesThePasses) {
  // Every pass of a frame in one multilayer EXR of floats, numbered from 1
  // as renderers do; colour as linear light.
  for (int f = 0; f <= kFrames; ++f) {
    const std::vector<std::uint16_t> rgb = Samples(in_ + "/rendered_" + Frame(f) + ".png");
    std::vector<float> r, g, b;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      r.push_back(static_cast<float>(apply::DecodeSrgb(static_cast<std::uint8_t>(rgb[i]))));
      g.push_back(static_cast<float>(apply::DecodeSrgb(static_cast<std::uint8_t>(rgb[i + 1]))));
      b.push_back(static_cast<float>(apply::DecodeSrgb(static_cast<std::uint8_t>(rgb[i + 2]))));
    }
    WriteFloatChannels(apply::FrameName(scratch_ / "exr/render_####.exr", f + 1), kWidth, kHeight,
                       {{"View.Combined.R", r},
                        {"View.Combined.G", g},
                        {"View.Combined.B", b},
                        {"View.IndexOB.X", Floats("index", f)},
                        {"View.M.U", Floats("match1", f)},
                        {"View.M.V", Floats("match2", f)},
                        {"View.Alt.X", Floats("alternate", f)}});
  }
  const std::string exr = scratch_ / "exr/render_####.exr";
  // The colour as 16-bit TIFF: the same sRGB values over 0..65535.
  for (int f = 0; f <= kFrames; ++f) {
    apply::OutputImage tiff;
    tiff.width = kWidth;
    tiff.height = kHeight;
    tiff.names = {"R", "G", "B"};
    tiff.bits = 16;
    for (std::uint16_t v : Samples(in_ + "/rendered_" + Frame(f) + ".png")) {
      tiff.samples.push_back(static_cast<float>(v * 257));
    }
    apply::WriteImage(scratch_ / ("tiff_" + Frame(f) + ".tif"), tiff);
  }
  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"png", PngPasses(in_ + "/rendered_%03d.png")},
      {"tiff", PngPasses(scratch_ / "tiff_%03d.tif")},
      {"exr",
       {"--colour", exr + ":View.Combined", "--index", exr + ":View.IndexOB", "--match1",
        exr + ":View.M.U", "--match2", exr + ":View.M.V", "--alternate", exr + ":View.Alt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* extension : {".png", ".exr"}) {
      std::vector<std::string> args = c.args;
      const std::string out = scratch_ / (std::string(c.name) + extension);
      args.insert(args.end(), {"--output", out + "/frame_%03d" + extension});
      ToolRun r = Apply(args);
      ASSERT_EQ(r.status, 0) << r.err;
      for (int f = 0; f <= kFrames; ++f) {
        const int number = c.name == std::string("exr") ? f + 1 : f;
        // Frame 0 only becomes the reference and stays as rendered.
        const auto expected =
            Samples(in_ + (f == 0 ? "/rendered_" : "/blurred_") + Frame(f) + ".png");
        const apply::ChannelImage output =
            ReadAll(apply::FrameName(out + "/frame_%03d" + extension, number));
        ASSERT_EQ(output.names.size(), 3u);
        // Integer outputs keep the input's depth.
        const double perByte = output.integral[0] ? output.unit[0] / 255.0 : 0.0;
        std::vector<std::uint16_t> bytes;
        for (std::size_t i = 0; i < output.samples.size(); ++i) {
          const double v = output.samples[i];
          bytes.push_back(perByte > 0.0 ? static_cast<std::uint16_t>(v / perByte)
                                        : apply::EncodeSrgb(v));
        }
        if (perByte > 0.0) {
          EXPECT_EQ(bytes, expected) << "frame " << f;
          continue;
        }
        // Floats go through the module in a range that reaches past 1, so
        // a streak's bright colours blend a little otherwise; every pixel
        // the blur left comes back exactly.
        const auto rendered = Samples(in_ + "/rendered_" + Frame(f) + ".png");
        int off = 0;
        for (std::size_t p = 0; p < bytes.size(); p += 3) {
          const bool left = std::equal(&expected[p], &expected[p] + 3, &rendered[p]);
          for (std::size_t k = p; k < p + 3; ++k) {
            if (left) {
              ASSERT_EQ(bytes[k], expected[k]) << "frame " << f << " sample " << k;
            }
            off = std::max(off, std::abs(int{bytes[k]} - int{expected[k]}));
          }
        }
        EXPECT_LE(off, 32) << "frame " << f;
      }
    }
  }
}

TEST_F(ToolApplyTest, AlphaIsBlurredWithTheColour) {
  const std::string opaque = scratch_ / "opaque_%03d.png", cutout = scratch_ / "cutout_%03d.png";
  const std::string mixed = scratch_ / "mixed_%03d.png";
  WriteRgba(opaque, [](int, std::size_t, float) { return 255u; });
  WriteRgba(cutout, [](int, std::size_t, float index) { return index != 0 ? 255u : 0u; });
  WriteRgba(mixed, [](int f, std::size_t, float index) { return f > 1 && index == 0 ? 0u : 255u; });

  // Opaque everywhere: the colour is the demo's and the alpha stays opaque.
  ToolRun r = ApplyPng(opaque, scratch_ / "o/opaque_%03d.png");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int f = 1; f <= kFrames; ++f) {
    const apply::ChannelImage out = ReadAll(scratch_ / ("o/opaque_" + Frame(f) + ".png"));
    ASSERT_EQ(out.names.size(), 4u);
    const std::vector<std::uint16_t> blurred = Samples(in_ + "/blurred_" + Frame(f) + ".png");
    for (std::size_t i = 0; i < out.Pixels(); ++i) {
      ASSERT_EQ(out.At(i, 3), 255.0) << "pixel " << i << " of frame " << f;
      for (std::size_t c = 0; c < 3; ++c) {
        ASSERT_EQ(out.At(i, c), blurred[3 * i + c]) << "pixel " << i << " of frame " << f;
      }
    }
  }

  // Objects over a transparent background: where a streak covers the
  // background it brings coverage with it, and alpha stays 0 where nothing
  // moved over the background.
  r = ApplyPng(cutout, scratch_ / "o/cutout_%03d.png");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int f = 1; f <= kFrames; ++f) {
    const apply::ChannelImage out = ReadAll(scratch_ / ("o/cutout_" + Frame(f) + ".png"));
    const std::vector<float> index = Floats("index", f);
    int streakPixels = 0, covered = 0, background = 0;
    for (std::size_t i = 0; i < out.Pixels(); ++i) {
      if (index[i] != 0) continue;
      ++background;
      const bool coloured = out.At(i, 0) + out.At(i, 1) + out.At(i, 2) > 0;
      streakPixels += coloured;
      covered += out.At(i, 3) > 0.0;
      // Coloured background pixels are streaks, and streaks bring coverage
      // (a faint one may round to black while its coverage does not).
      if (coloured) {
        ASSERT_GT(out.At(i, 3), 0.0) << "pixel " << i << " of frame " << f;
      }
    }
    EXPECT_GT(streakPixels, 100) << "frame " << f;
    EXPECT_LT(covered, background / 2) << "frame " << f;
  }

  // Opaque first, transparent film after: the frame after the opaque one
  // is blurred against it as in the cutout run, whose first frame differs
  // from it only in alpha.
  r = ApplyPng(mixed, scratch_ / "o/mixed_%03d.png");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int f = 2; f <= kFrames; ++f) {
    const apply::ChannelImage out = ReadAll(scratch_ / ("o/mixed_" + Frame(f) + ".png"));
    const apply::ChannelImage alone = ReadAll(scratch_ / ("o/cutout_" + Frame(f) + ".png"));
    EXPECT_EQ(out.samples, alone.samples) << "frame " << f;
  }
}

TEST(ToolApplyValuesTest, SamplesThatAreNotNumbersInEveryPassAreValues) {
  ScratchFolder scratch;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> odd = {nan, inf, -inf, 1e30f, -1e30f, 0.0f, 2.0f, -1.0f};
  // Every pass of two frames from the same odd values, shifted per channel
  // and frame so each kind of value meets every other.
  for (int f = 1; f <= 2; ++f) {
    std::vector<std::pair<std::string, std::vector<float>>> channels;
    int shift = f;
    for (const char* name : {"C.R", "C.G", "C.B", "C.A", "Index.X", "UV.U", "UV.V", "Vector.X",
                             "Vector.Y", "Depth.Z", "Alt.X"}) {
      std::vector<float> values(32 * 16);
      for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = odd[(i / 3 + static_cast<std::size_t>(shift)) % odd.size()];
      }
      channels.emplace_back(name, values);
      shift += 3;
    }
    WriteFloatChannels(apply::FrameName(scratch / "odd_####.exr", f), 32, 16, channels);
  }
  const std::string in = scratch / "odd_####.exr";
  for (const char* source : {"--uv", "--vector"}) {
    SCOPED_TRACE(source);
    const std::string out = scratch / (std::string(source + 2) + "_####.exr");
    ToolRun r = RunTool({"apply", "--quiet", "--colour", in + ":C", "--index", in + ":Index",
                         source, in + (source == std::string("--uv") ? ":UV" : ":Vector"),
                         "--depth", in + ":Depth", "--depth-test", "--alternate", in + ":Alt",
                         "--output", out, "--tile", "8x8"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (int f = 1; f <= 2; ++f) {
      const apply::ChannelImage written = ReadAll(apply::FrameName(out, f));
      const apply::ChannelImage read =
          apply::ReadChannels(apply::FrameName(in, f), {"C.R", "C.G", "C.B", "C.A"});
      ASSERT_EQ(written.names.size(), 4u);
      // A pixel the blur left keeps its values, odd ones too; a blurred one
      // holds plain numbers from 0 on, its alpha at most 1.
      for (std::size_t i = 0; i < written.Pixels(); ++i) {
        bool kept = true, plain = written.At(i, 3) <= 1.0;
        for (std::size_t c = 0; c < 4; ++c) {
          const float was = static_cast<float>(read.At(i, c));
          const float now = static_cast<float>(written.At(i, c));
          kept = kept && (now == was || (std::isnan(now) && std::isnan(was)));
          plain = plain && now >= 0.0f && std::isfinite(now);
        }
        ASSERT_TRUE(kept || plain) << "pixel " << i << " of frame " << f;
      }
    }
  }
}

}  // namespace
}  // namespace qxv::tool::test
