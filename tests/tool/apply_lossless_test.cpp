// pblur apply keeps what the renderer wrote wherever the blur changes
// nothing: float values above 1, 8- and 16-bit integers exactly, the data
// and display windows and the metadata; and streaks over a bright
// background stay bright in a float output. Both looks alike.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <string>
#include <vector>

#include "apply/input/frame_pattern.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

// A region of 120 x 60 placed at +20+10 in a 200 x 100 picture whose own
// origin is at -8-4 (a render with overscan, cropped to a border); a
// 12-pixel box moves 6 pixels right a frame.
constexpr int kX = 20, kY = 10, kW = 120, kH = 60;
constexpr int kFullX = -8, kFullY = -4, kFullW = 200, kFullH = 100;
constexpr int kBoxTop = 24, kBoxSide = 12, kStep = 6;
constexpr int kFrames = 3;

int BoxLeft(int f) { return 10 + kStep * f; }
bool InBox(int f, int x, int y) {
  return x >= BoxLeft(f) && x < BoxLeft(f) + kBoxSide && y >= kBoxTop && y < kBoxTop + kBoxSide;
}

// Colour and passes of frame f: RGBA (background a third covered, above 1
// in float), object index, motion vectors back to the previous frame.
void WriteFrame(const std::string& path, int f, OIIO::TypeDesc type, double unit) {
  const bool floats = type == OIIO::TypeDesc::HALF || type == OIIO::TypeDesc::FLOAT;
  std::vector<std::string> names = {"R", "G", "B", "A"};
  if (floats) names.insert(names.end(), {"Index.X", "Vector.X", "Vector.Y"});
  OIIO::ImageSpec spec(kW, kH, static_cast<int>(names.size()), type);
  spec.x = kX;
  spec.y = kY;
  spec.full_x = kFullX;
  spec.full_y = kFullY;
  spec.full_width = kFullW;
  spec.full_height = kFullH;
  spec.channelnames = names;
  spec.alpha_channel = 3;
  spec.attribute("Camera", "shot_cam");
  spec.attribute("RenderSettings", "cycles, 16 samples");
  if (!floats) spec.attribute("oiio:UnassociatedAlpha", 1);
  std::vector<float> samples;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const bool box = InBox(f, x, y);
      // Floats: a bright box over a background brighter than 1, a third
      // covered; integers: the same shapes as stored values.
      std::vector<float> px;
      if (floats) {
        px = box ? std::vector<float>{8.0f, 6.0f, 0.5f, 1.0f}
                 : std::vector<float>{1.8f + 0.01f * x, 0.12f, 0.03f * (y % 5), 0.3f};
        px.push_back(box ? 1.0f : 0.0f);
        px.push_back(box ? -static_cast<float>(kStep) : 0.0f);
        px.push_back(0.0f);
      } else {
        const float u = static_cast<float>(unit);
        px = box ? std::vector<float>{u, 0.75f * u, 0.2f * u, u}
                 : std::vector<float>{std::floor(u * (0.2f + x / 400.0f)), std::floor(u * 0.3f),
                                      std::floor(u * 0.01f * (y % 7)), std::floor(u * 0.3f)};
      }
      samples.insert(samples.end(), px.begin(), px.end());
    }
  }
  if (!floats) {
    for (float& v : samples) v /= static_cast<float>(unit);
  }
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out && out->open(path, spec) &&
              out->write_image(OIIO::TypeDesc::FLOAT, samples.data()) && out->close());
}

// Integer frames keep their passes in 16-bit PNGs of their own.
void WritePasses(const std::string& folder, int f) {
  std::vector<float> index(kW * kH), vx(kW * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      index[y * kW + x] = InBox(f, x, y) ? 1.0f : 0.0f;
      vx[y * kW + x] = InBox(f, x, y) ? -static_cast<float>(kStep) : 0.0f;
    }
  }
  WriteFloatChannels(apply::FrameName(folder + "/passes_####.exr", f), kW, kH,
                     {{"Index.X", index}, {"Vector.X", vx}, {"Vector.Y", std::vector<float>(kW * kH)}});
}

TEST(ToolApplyLosslessTest, WhatTheBlurLeavesIsWrittenAsStored) {
  struct Case {
    const char* name;
    OIIO::TypeDesc type;
    double unit;
    const char* input;
    const char* output;
    const char* look;
  };
  const Case cases[] = {
      {"half EXR to EXR", OIIO::TypeDesc::HALF, 1.0, "exr", "exr", "streak"},
      {"float EXR to EXR", OIIO::TypeDesc::FLOAT, 1.0, "exr", "exr", "streak"},
      {"8-bit PNG to PNG", OIIO::TypeDesc::UINT8, 255.0, "png", "png", "streak"},
      {"16-bit PNG to PNG", OIIO::TypeDesc::UINT16, 65535.0, "png", "png", "streak"},
      {"16-bit TIFF to TIFF", OIIO::TypeDesc::UINT16, 65535.0, "tif", "tif", "streak"},
      {"half EXR to EXR, shutter look", OIIO::TypeDesc::HALF, 1.0, "exr", "exr", "shutter"},
      {"8-bit PNG to PNG, shutter look", OIIO::TypeDesc::UINT8, 255.0, "png", "png", "shutter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const std::string in = scratch / (std::string("in_####.") + c.input);
    const std::string out = scratch / (std::string("out_####.") + c.output);
    const bool floats = c.unit == 1.0;
    for (int f = 1; f <= kFrames; ++f) {
      WriteFrame(apply::FrameName(in, f), f, c.type, c.unit);
      if (!floats) WritePasses(scratch / "", f);
    }
    const std::string passes = floats ? in : scratch / "passes_####.exr";
    ToolRun r = RunTool({"apply", "--quiet", "--look", c.look, "--colour", in + ":R,G,B,A", "--index",
                         passes + ":Index", "--vector", passes + ":Vector", "--output", out});
    ASSERT_EQ(r.status, 0) << r.err;

    for (int f = 2; f <= kFrames; ++f) {
      const std::string written = apply::FrameName(out, f);
      auto file = OIIO::ImageInput::open(written);
      ASSERT_TRUE(file);
      const OIIO::ImageSpec& spec = file->spec();
      // Windows and metadata as rendered.
      EXPECT_EQ(spec.format, floats ? OIIO::TypeDesc(OIIO::TypeDesc::FLOAT) : c.type);
      if (std::string(c.output) == "exr") {
        EXPECT_EQ(std::vector<int>({spec.x, spec.y, spec.width, spec.height, spec.full_x,
                                    spec.full_y, spec.full_width, spec.full_height}),
                  std::vector<int>({kX, kY, kW, kH, kFullX, kFullY, kFullW, kFullH}));
      }
      // TIFF has no place for names of one's own.
      if (std::string(c.output) != "tif") {
        EXPECT_EQ(spec.get_string_attribute("Camera"), "shot_cam");
        EXPECT_EQ(spec.get_string_attribute("RenderSettings"), "cycles, 16 samples");
      }
      file->close();

      const apply::ChannelImage before = apply::ReadChannels(apply::FrameName(in, f), {"R", "G", "B", "A"});
      const apply::ChannelImage after = apply::ReadChannels(written, {"R", "G", "B", "A"});
      ASSERT_EQ(after.Pixels(), before.Pixels());
      // Rows the box never crosses: every sample exactly as stored. In the
      // box's rows the streak behind it is blurred; in a float output it
      // keeps the brightness above 1. An integer output stores straight
      // colour: a streak pixel's red and green lie between the box's and
      // the background's there, however little it covers, not darkened by
      // its coverage (the blue of the background changes from row to row,
      // and neighbouring rows blend).
      const std::size_t boxPixel = static_cast<std::size_t>(kBoxTop + 1) * kW + BoxLeft(f) + 1;
      double brightestStreak = 0.0;
      int streakPixels = 0, darkened = 0;
      for (int y = 0; y < kH; ++y) {
        const bool boxRows = y >= kBoxTop - 2 && y < kBoxTop + kBoxSide + 2;
        for (int x = 0; x < kW; ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * kW + x;
          bool same = true;
          for (std::size_t ch = 0; ch < 4; ++ch) same = same && after.At(i, ch) == before.At(i, ch);
          if (!boxRows) {
            ASSERT_TRUE(same) << "pixel " << x << "," << y << " of frame " << f;
          } else if (!same && !InBox(f, x, y)) {
            ++streakPixels;
            brightestStreak = std::max(brightestStreak, after.At(i, 0) / after.unit[0]);
            for (std::size_t ch = 0; ch < 2 && !floats; ++ch) {
              const double was = before.At(i, ch), box = before.At(boxPixel, ch);
              const double slack = 0.02 * after.unit[ch];
              const double v = after.At(i, ch);
              if (v < std::min(was, box) - slack || v > std::max(was, box) + slack) ++darkened;
            }
          }
        }
      }
      EXPECT_GT(streakPixels, kBoxSide) << "frame " << f;
      EXPECT_EQ(darkened, 0) << "frame " << f;
      if (floats) {
        EXPECT_GT(brightestStreak, 2.0) << "frame " << f;
      }
    }
  }
}

}  // namespace
}  // namespace qxv::tool::test
