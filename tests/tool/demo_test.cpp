// pblur demo: the same pictures on every run, and streaks where the scene
// promises them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "sim/linked_module.h"
#include "tests/tool/support.h"
#include "tools/demo_scene.h"
#include "apply/blur/host_session.h"

namespace qxv::tool::test {
namespace {

std::vector<std::string> DemoArgs(const std::string& out, std::vector<std::string> more) {
  std::vector<std::string> args = {"demo", "--out", out, "--quiet"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(ToolDemoTest, WritesTheSamePixelsOnEveryRun) {
  ScratchFolder scratch;
  const std::vector<std::string> small = {"--size", "96x54", "--frames", "3",
                                          "--tile", "32x32", "--passes"};
  for (const char* run : {"first", "second"}) {
    ToolRun r = RunTool(DemoArgs(scratch / run, small));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(S_OK, DllCanUnloadNow()) << "the tool left module objects alive";

  int files = 0, blurredFramesThatDiffer = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch / "first")) {
    const std::string name = entry.path().filename().string();
    ++files;
    EXPECT_EQ(Samples(entry.path().string()), Samples(scratch / ("second/" + name))) << name;
    if (name.rfind("blurred_", 0) == 0) {
      blurredFramesThatDiffer +=
          Samples(entry.path().string()) != Samples(scratch / ("first/rendered" + name.substr(7)));
    }
  }
  // Frames 0-3 rendered with five passes each, frames 1-3 blurred, one sheet.
  EXPECT_EQ(files, 4 * 6 + 3 + 1);
  EXPECT_EQ(blurredFramesThatDiffer, 3);
}

struct Box {
  int left, top, right, bottom;  // inclusive
};

Box Bounds(const ShapeInstance& s) {
  const float reach = std::hypot(s.halfWidth, s.shape == Shape::Disc ? s.halfWidth : s.halfHeight);
  const float r = reach * s.scale + 1.0f;
  return Box{static_cast<int>(s.centreX - r), static_cast<int>(s.centreY - r),
             static_cast<int>(s.centreX + r), static_cast<int>(s.centreY + r)};
}

int ChangedPixels(const std::vector<std::uint16_t>& a, const std::vector<std::uint16_t>& b,
                  int width, int height, Box box) {
  int changed = 0;
  for (int y = std::max(0, box.top); y <= std::min(height - 1, box.bottom); ++y) {
    for (int x = std::max(0, box.left); x <= std::min(width - 1, box.right); ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
      changed += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    }
  }
  return changed;
}

TEST(ToolDemoTest, StreaksFollowEveryMovingObjectButNotTheExcludedOne) {
  ScratchFolder scratch;
  const int frames = 4;
  ToolRun r = RunTool(DemoArgs(scratch / "demo", {"--frames", std::to_string(frames)}));
  ASSERT_EQ(r.status, 0) << r.err;

  apply::Session session(sim::LinkedModule());
  DemoScene scene(session, apply::Size{320, 180});
  for (int f = 1; f <= frames; ++f) {
    const std::string number = std::to_string(1000 + f).substr(1);
    const auto rendered = Samples(scratch / ("demo/rendered_" + number + ".png"));
    const auto blurred = Samples(scratch / ("demo/blurred_" + number + ".png"));
    const std::vector<PlacedObject> now = scene.Place(f, frames),
                                    before = scene.Place(f - 1, frames);
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (!now[i].moving) continue;
      const Box a = Bounds(now[i].shape), b = Bounds(before[i].shape);
      const Box swept{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                      std::max(a.bottom, b.bottom)};
      const int changed = ChangedPixels(rendered, blurred, 320, 180, swept);
      if (now[i].excluded) {
        EXPECT_EQ(changed, 0) << now[i].name << " in frame " << f;
      } else {
        EXPECT_GT(changed, 200) << now[i].name << " in frame " << f;
      }
    }
  }
}

}  // namespace
}  // namespace qxv::tool::test
