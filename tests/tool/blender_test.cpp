// pblur apply on Blender's own renders: the example scene rendered headless
// to multilayer EXR, blurred straight from those files with the UV pass and
// with the motion vectors. The still pillar must come out as rendered from
// two pixels inside its rim, and each moving object's streaks must lie
// along the motion Blender's vector pass gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/tool/support.h"
#include "apply/input/frame_pattern.h"

namespace qxv::tool::test {
namespace {

constexpr int kFrames = 4;
constexpr std::uint32_t kPillar = 1;
constexpr std::uint32_t kMoving[] = {2, 3, 4};

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::string::size_type start = 0; start <= dirs.size();) {
    std::string::size_type end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (std::filesystem::exists(dirs.substr(start, end - start) + "/" + program)) return true;
    start = end + 1;
  }
  return false;
}

struct Passes {
  apply::ChannelImage index, vector;
};

// A pixel's point in the previous frame, with Blender's y up turned to rows.
struct Offset {
  double dx, dy;
};

// How far p lies from the segment from q to q + d.
double SegmentDistance(double px, double py, double qx, double qy, Offset d) {
  const double length2 = d.dx * d.dx + d.dy * d.dy;
  double t = length2 > 0 ? ((px - qx) * d.dx + (py - qy) * d.dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (qx + t * d.dx), py - (qy + t * d.dy));
}

// Whether the pixel and every pixel within two rows and columns of it show
// the object. A streak passing behind a nearer object still paints that
// object's outline pixels, and the smoothing reaches one pixel further in:
// a still object in front keeps its pixels from there inwards.
bool DeepInside(const apply::ChannelImage& index, std::size_t i, std::uint32_t object) {
  const long w = index.width, h = index.height;
  const long x = static_cast<long>(i) % w, y = static_cast<long>(i) / w;
  for (long ny = y - 2; ny <= y + 2; ++ny) {
    for (long nx = x - 2; nx <= x + 2; ++nx) {
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) return false;
      if (index.At(static_cast<std::size_t>(ny * w + nx), 0) != object) return false;
    }
  }
  return true;
}

struct StreakReport {
  double median = 1e9, ninetieth = 1e9;       // distance of streak pixels from the motion
  std::map<std::uint32_t, int> streakPixels;  // by the object they are nearest
  double pillarChange = 0;                    // in 8-bit levels, two pixels inside its rim
  int pillarPixels = 0;
};

class ToolBlenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("blender")) GTEST_SKIP() << "blender is not on PATH (scripts/install-test-deps.sh)";
    const std::string command = "blender -b --factory-startup -P " + std::string(QXV_SOURCE_DIR) +
                                "/examples/blender/render_scene.py -- --out " +
                                scratch_ / "render" + " --size 160x90 --frames " +
                                std::to_string(kFrames) + " --samples 4 >" +
                                scratch_ / "blender.log" + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "see " << scratch_ / "blender.log";
    for (int f = 1; f <= kFrames; ++f) {
      ASSERT_TRUE(std::filesystem::exists(apply::FrameName(exr_, f))) << apply::FrameName(exr_, f);
    }
  }

  // apply over the EXR files with the given match source, to PNG.
  std::string Apply(const std::string& name, std::vector<std::string> more) {
    const std::string out = scratch_ / (name + "/b_####.png");
    std::vector<std::string> args = {"apply",    "--quiet",
                                     "--colour", exr_ + ":ViewLayer.Combined",
                                     "--index",  exr_ + ":ViewLayer.IndexOB",
                                     "--output", out};
    args.insert(args.end(), more.begin(), more.end());
    ToolRun r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return out;
  }

  Passes Read(int f) const {
    const std::string path = apply::FrameName(exr_, f);
    return Passes{apply::ReadChannels(path, {"ViewLayer.IndexOB.X"}),
                  apply::ReadChannels(path, {"ViewLayer.Vector.X", "ViewLayer.Vector.Y"})};
  }

  // One run's frames against the unblurred ones, with Blender's vectors
  // taken times `sign`.
  StreakReport Measure(const std::string& blurredPattern, const std::string& sharpPattern,
                       double sign = 1.0) {
    StreakReport report;
    std::vector<double> errors;
    for (int f = 2; f <= kFrames; ++f) {
      const apply::ChannelImage blurred = ReadAll(apply::FrameName(blurredPattern, f));
      const apply::ChannelImage sharp = ReadAll(apply::FrameName(sharpPattern, f));
      const Passes p = Read(f);
      const std::uint32_t w = p.index.width;
      auto object = [&](std::size_t i) { return static_cast<std::uint32_t>(p.index.At(i, 0)); };
      auto change = [&](std::size_t i) {
        double most = 0;
        for (std::size_t c = 0; c < 4; ++c) {
          most = std::max(most, std::fabs(blurred.At(i, c) - sharp.At(i, c)));
        }
        return most;
      };
      auto motion = [&](std::size_t i) {
        return Offset{sign * p.vector.At(i, 0), -sign * p.vector.At(i, 1)};
      };
      for (std::size_t i = 0; i < p.index.Pixels(); ++i) {
        const double px = static_cast<double>(i % w), py = static_cast<double>(i / w);
        // The nearest moving pixel, and the nearest way a moving pixel took
        // from where it was.
        double nearestPixel = 1e9, nearestWay = 1e9;
        std::uint32_t follows = 0;
        for (std::size_t q = 0; q < p.index.Pixels(); ++q) {
          if (object(q) <= kPillar) continue;
          const double qx = static_cast<double>(q % w), qy = static_cast<double>(q / w);
          const double d = std::hypot(px - qx, py - qy);
          if (d < nearestPixel) nearestPixel = d, follows = object(q);
          nearestWay = std::min(nearestWay, SegmentDistance(px, py, qx, qy, motion(q)));
        }
        if (DeepInside(p.index, i, kPillar)) {
          report.pillarChange = std::max(report.pillarChange, change(i));
          ++report.pillarPixels;
        }
        // Background pixels past the objects' filtered edges that changed
        // are streaks.
        if (object(i) == 0 && change(i) > 0 && follows != 0 && nearestPixel > 1.5) {
          errors.push_back(nearestWay);
          ++report.streakPixels[follows];
        }
      }
    }
    if (errors.empty()) return report;
    std::sort(errors.begin(), errors.end());
    report.median = errors[errors.size() / 2];
    report.ninetieth = errors[errors.size() * 9 / 10];
    std::printf(
        "  %zu streak pixels, off the motion by: median %.2f px, 90%% %.2f px; "
        "still pillar changed by at most %.0f\n",
        errors.size(), report.median, report.ninetieth, report.pillarChange);
    return report;
  }

  ScratchFolder scratch_;
  const std::string exr_ = scratch_ / "render/render_####.exr";
};

void ExpectAlongTheMotion(const StreakReport& r) {
  EXPECT_LT(r.median, 0.75);
  EXPECT_LT(r.ninetieth, 1.5);
  for (std::uint32_t o : kMoving)
    EXPECT_GT(r.streakPixels.count(o) ? r.streakPixels.at(o) : 0, 30) << "object " << o;
  EXPECT_GT(r.pillarPixels, 300);
  EXPECT_EQ(r.pillarChange, 0.0);
}

TEST_F(ToolBlenderTest, StreaksFollowBlendersVectorPassWithUvOrVectors) {
  const std::string sharp =
      Apply("sharp", {"--vector", exr_ + ":ViewLayer.Vector", "--mode", "none"});
  const std::vector<std::string> depth = {"--depth", exr_ + ":ViewLayer.Depth", "--depth-test"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.end(), depth.begin(), depth.end());
    return args;
  };
  {
    SCOPED_TRACE("--uv");
    ExpectAlongTheMotion(Measure(Apply("uv", with({"--uv", exr_ + ":ViewLayer.UV"})), sharp));
  }
  {
    SCOPED_TRACE("--vector");
    const std::string out = Apply("vector", with({"--vector", exr_ + ":ViewLayer.Vector"}));
    ExpectAlongTheMotion(Measure(out, sharp));
    // The measure tells directions apart: the same streaks lie far from
    // the motion turned round.
    EXPECT_GT(Measure(out, sharp, -1.0).median, 2.0);
  }
}

}  // namespace
}  // namespace qxv::tool::test
