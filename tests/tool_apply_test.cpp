// pblur apply reproduces the demo's blurred frames from the demo's own
// passes, in RGB and in RGBA.
#include <gtest/gtest.h>

#include "tests/tool_support.h"
#include "tools/png_io.h"

namespace pblur::test {
namespace {

std::string Frame(int f) { return std::to_string(1000 + f).substr(1); }

// The demo's rendered frames as RGBA with a varying alpha.
void WriteRgbaCopies(const ScratchFolder& scratch, int frames) {
  for (int f = 0; f <= frames; ++f) {
    PngImage rgb = ReadPng(scratch / ("demo/rendered_" + Frame(f) + ".png"));
    PngImage rgba = rgb;
    rgba.layout = PngLayout::Rgba;
    rgba.samples.clear();
    for (std::size_t i = 0; i < rgb.samples.size() / 3; ++i) {
      rgba.samples.insert(rgba.samples.end(), rgb.samples.begin() + 3 * i,
                          rgb.samples.begin() + 3 * i + 3);
      rgba.samples.push_back(static_cast<std::uint16_t>(i % 256));
    }
    WritePng(scratch / ("demo/rgba_" + Frame(f) + ".png"), rgba);
  }
}

std::vector<std::uint16_t> WithoutAlpha(const PngImage& image) {
  if (image.layout != PngLayout::Rgba) return image.samples;
  std::vector<std::uint16_t> rgb;
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    if (i % 4 != 3) rgb.push_back(image.samples[i]);
  }
  return rgb;
}

TEST(ToolApplyTest, EqualsTheDemoBlurredFramesForTheSamePasses) {
  ScratchFolder scratch;
  const int frames = 3;
  // Without a scene apply sees no Weights and no groups, so the demo runs in
  // mode "all" without the depth test, where neither counts.
  const std::vector<std::string> shared = {"--mode", "all", "--tile", "32x32", "--quiet"};
  std::vector<std::string> demo = {"demo",           "--out",    scratch / "demo",       "--size",
                                   "128x72",         "--frames", std::to_string(frames), "--passes",
                                   "--no-depth-test"};
  demo.insert(demo.end(), shared.begin(), shared.end());
  ToolRun made = RunTool(demo);
  ASSERT_EQ(made.status, 0) << made.err;
  WriteRgbaCopies(scratch, frames);

  for (const char* colour : {"rendered", "rgba"}) {
    SCOPED_TRACE(colour);
    const std::string in = scratch / "demo/";
    std::vector<std::string> apply = {"apply",
                                      "--colour",
                                      in + colour + "_%03d.png",
                                      "--index",
                                      in + "index_%03d.png",
                                      "--match1",
                                      in + "match1_%03d.png",
                                      "--match2",
                                      in + "match2_%03d.png",
                                      "--alternate",
                                      in + "alternate_%03d.png",
                                      "--output",
                                      scratch / (std::string(colour) + "_out/frame_%03d.png"),
                                      "--streak-length",
                                      "10",
                                      "--strength",
                                      "6",
                                      "--alt-length",
                                      "20"};
    apply.insert(apply.end(), shared.begin(), shared.end());
    ToolRun r = RunTool(apply);
    ASSERT_EQ(r.status, 0) << r.err;

    for (int f = 0; f <= frames; ++f) {
      const PngImage input = ReadPng(in + colour + "_" + Frame(f) + ".png");
      const PngImage output =
          ReadPng(scratch / (std::string(colour) + "_out/frame_" + Frame(f) + ".png"));
      ASSERT_EQ(output.layout, input.layout) << "frame " << f;
      // Frame 0 only becomes the reference and stays as rendered.
      const std::string expected = f == 0 ? "rendered_" : "blurred_";
      EXPECT_EQ(WithoutAlpha(output), Samples(in + expected + Frame(f) + ".png")) << "frame " << f;
      for (std::size_t i = 3; i < output.samples.size() && input.layout == PngLayout::Rgba;
           i += 4) {
        ASSERT_EQ(output.samples[i], input.samples[i]) << "alpha of frame " << f;
      }
    }
  }
}

}  // namespace
}  // namespace pblur::test
