// The Blender add-on, headless in Debian's Blender: a scene built by
// addon_render.py rendered as animations through the add-on. The box's
// frames trail behind it, while the ball set to Off and the still cube come
// out exactly as rendered (the same scene rendered with mode none); two parts
// in one group let each other's streaks through the depth test; the Shutter
// look blurs the box both ways; a still render writes nothing and says why;
// the scene is changed by Set Up Passes, or by a render that says so, never
// by ticking the blur on; a farm's ranges, each started one frame early,
// write the whole render's frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "apply/input/frame_pattern.h"
#include "project_version.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

#ifdef QXV_ADDON_DIR
const char* const kAddonDir = QXV_ADDON_DIR;
#else
const char* const kAddonDir = nullptr;
#endif

bool BlenderRuns() { return std::system("blender --version >/dev/null 2>&1") == 0; }

std::string Text(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class BlenderAddonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!kAddonDir || !BlenderRuns()) return;
    scratch_ = new ScratchFolder;
    // The add-on as built, where Blender looks for a user's add-ons.
    const std::string scripts = *scratch_ / "scripts";
    std::filesystem::create_directories(scripts + "/addons");
    std::filesystem::create_directory_symlink(kAddonDir, scripts + "/addons/pblur_blender");
    const std::string command =
        "BLENDER_USER_SCRIPTS=" + scripts + " blender -b --factory-startup --python-exit-code 1 "
        "-P " + std::string(QXV_SOURCE_DIR) + "/tests/blender/addon_render.py -- " +
        (*scratch_ / "") + " >" + (*scratch_ / "blender.log") + " 2>&1";
    rendered_ = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override {
    if (!kAddonDir) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
    if (!scratch_) GTEST_SKIP() << "blender does not run (scripts/install-test-deps.sh)";
    ASSERT_TRUE(rendered_) << Text(*scratch_ / "blender.log");
  }

  static std::string At(const std::string& name) { return *scratch_ / name; }
  static apply::ChannelImage Frame(const std::string& folder, int f) {
    return ReadAll(apply::FrameName(At(folder + "/####.png"), f));
  }
  static apply::ChannelImage Index(const std::string& folder, int f) {
    return apply::ReadChannels(apply::FrameName(At(folder + "/####.exr"), f), {"IndexOB.V"});
  }
  static int IndexOf(const std::string& name) {
    std::smatch m;
    const std::string text = Text(At("objects.json"));
    const std::regex pattern("\"" + name + "\": (\\d+)");
    return std::regex_search(text, m, pattern) ? std::stoi(m[1]) : -1;
  }

  static ScratchFolder* scratch_;
  static bool rendered_;
};
ScratchFolder* BlenderAddonTest::scratch_ = nullptr;
bool BlenderAddonTest::rendered_ = false;

// Whether the pixel or one of its eight neighbours is of the object: a
// render's filtered silhouette reaches a pixel past the index pass's.
bool Touches(const apply::ChannelImage& index, std::size_t i, int object) {
  const long w = index.width, h = index.height, x = static_cast<long>(i) % w,
             y = static_cast<long>(i) / w;
  for (long ny = std::max(0L, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
    for (long nx = std::max(0L, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
      if (static_cast<int>(index.At(static_cast<std::size_t>(ny * w + nx), 0)) == object) {
        return true;
      }
    }
  }
  return false;
}

// The object's bounds in the index pass: left, right, top, bottom.
std::array<std::uint32_t, 4> Bounds(const apply::ChannelImage& index, int object) {
  std::array<std::uint32_t, 4> b = {index.width, 0, index.height, 0};
  for (std::size_t i = 0; i < index.Pixels(); ++i) {
    if (static_cast<int>(index.At(i, 0)) != object) continue;
    const auto x = static_cast<std::uint32_t>(i % index.width);
    const auto y = static_cast<std::uint32_t>(i / index.width);
    b = {std::min(b[0], x), std::max(b[1], x), std::min(b[2], y), std::max(b[3], y)};
  }
  return b;
}

bool Differs(const apply::ChannelImage& a, const apply::ChannelImage& b, std::size_t i) {
  for (std::size_t c = 0; c < a.names.size(); ++c) {
    if (a.At(i, c) != b.At(i, c)) return true;
  }
  return false;
}

TEST_F(BlenderAddonTest, FramesTrailBehindTheBoxAndLeaveTheRestAsRendered) {
  const int box = IndexOf("box"), ball = IndexOf("ball"), still = IndexOf("still");
  for (const char* name : {"box", "ball", "still", "near", "far"}) {
    EXPECT_GT(IndexOf(name), 0) << name << " was given no object index";
  }
  for (int f = 2; f <= 3; ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const apply::ChannelImage blurred = Frame("blurred", f), sharp = Frame("sharp", f);
    const apply::ChannelImage index = Index("index_a", f);
    ASSERT_EQ(blurred.samples.size(), sharp.samples.size());
    const auto [left, right, top, bottom] = Bounds(index, box);
    int behind = 0, ballOrStill = 0;
    for (std::size_t i = 0; i < index.Pixels(); ++i) {
      if (!Differs(blurred, sharp, i)) continue;
      const auto x = static_cast<std::uint32_t>(i % index.width);
      const auto y = static_cast<std::uint32_t>(i / index.width);
      const int object = static_cast<int>(index.At(i, 0));
      ballOrStill += object == ball || object == still;
      // Past the box's filtered edge, only behind it.
      EXPECT_TRUE(y + 1 >= top && y <= bottom + 1 && x <= right + 1)
          << "changed away from the box's trail at " << x << "," << y << " (object " << object
          << ")";
      behind += x < left && object == 0;
    }
    EXPECT_GT(behind, 20) << "the box leaves no trail";
    EXPECT_EQ(ballOrStill, 0) << "the ball or the still cube changed";
  }
}

TEST_F(BlenderAddonTest, TheShutterLookBlursBothWaysAndLeavesTheStillCube) {
  const int box = IndexOf("box"), still = IndexOf("still");
  for (int f = 2; f <= 3; ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const apply::ChannelImage shutter = Frame("shutter", f), sharp = Frame("sharp", f);
    const apply::ChannelImage index = Index("index_a", f);
    ASSERT_EQ(shutter.samples.size(), sharp.samples.size());
    const auto [left, right, top, bottom] = Bounds(index, box);
    int behind = 0, ahead = 0, cube = 0;
    for (std::size_t i = 0; i < index.Pixels(); ++i) {
      const auto x = static_cast<std::uint32_t>(i % index.width);
      const auto y = static_cast<std::uint32_t>(i / index.width);
      if (!Differs(shutter, sharp, i)) continue;
      const bool boxRows = y >= top && y <= bottom;
      // Beyond the box's filtered edges, the streak look's reach.
      behind += boxRows && x + 1 < left;
      ahead += boxRows && x > right + 1;
      cube += static_cast<int>(index.At(i, 0)) == still;
    }
    EXPECT_GE(behind, 8) << "nothing blurred behind the box";
    EXPECT_GE(ahead, 8) << "nothing blurred ahead of the box";
    EXPECT_EQ(cube, 0) << "the still cube changed";
  }
}

TEST_F(BlenderAddonTest, PartsOfOneGroupLetEachOthersStreaksThrough) {
  const int near = IndexOf("near");
  int nearChanged = 0, elsewhere = 0;
  for (int f = 2; f <= 3; ++f) {
    const apply::ChannelImage grouped = Frame("grouped", f), alone = Frame("alone", f);
    const apply::ChannelImage index = Index("index_b", f);
    for (std::size_t i = 0; i < index.Pixels(); ++i) {
      if (!Differs(grouped, alone, i)) continue;
      ++(Touches(index, i, near) ? nearChanged : elsewhere);
    }
  }
  EXPECT_GT(nearChanged, 10) << "the far part's streak stays hidden behind the near part";
  EXPECT_EQ(elsewhere, 0) << "pixels away from the near part changed";
}

TEST_F(BlenderAddonTest, RangesStartedOneFrameEarlyWriteTheWholeRendersPixelsBitForBit) {
  for (int f = 1; f <= 3; ++f) {
    const std::string name = apply::FrameName("/####.png", f);
    // The raw frames' pixels first (Blender stamps each file with the
    // time): the ranges can equal the whole render only where Cycles
    // rendered the same pixels.
    ASSERT_TRUE(Frame("render_blurred", f).samples == Frame("render_ranges", f).samples)
        << "frame " << f << " rendered differently";
    // Pixels again: the files carry the render's time from the passes.
    const apply::ChannelImage whole = Frame("blurred", f);
    EXPECT_FALSE(whole.samples.empty()) << "frame " << f;
    EXPECT_TRUE(whole.samples == Frame("ranges", f).samples) << "frame " << f;
  }
  EXPECT_NE(Text(At("blender.log")).find("pblur: frame 2 blurred to lead in, not written"),
            std::string::npos)
      << Text(At("blender.log"));
}

TEST_F(BlenderAddonTest, TellsWhatWasWrittenAndWhatWasSetUp) {
  const std::string report = Text(At("objects.json"));
  // What the report holds under a name, as addon_render.py wrote it.
  const auto said = [&report](const std::string& name) {
    std::smatch m;
    const std::regex pattern("\"" + name + "\": (\"[^\"]*\"|true|false)");
    return std::regex_search(report, m, pattern) ? std::string(m[1]) : "(not in the report)";
  };
  const struct {
    const char* name;
    const char* begins;  // what it says, from its start
    const char* why;
  } cases[] = {
      {"missing_before", "\"the Vector pass, ", "a new scene lacks the Vector pass"},
      {"unchanged_by_enabling", "true", "ticking Blur Animation Renders changed the scene"},
      {"operator", "\"FINISHED\"", "Set Up Passes did nothing"},
      {"missing_after", "\"\"", "Set Up Passes left something out"},
      {"blurred", "\"3 frames (1 to 3) written to ", "an animation's summary"},
      {"still", "\"nothing written: a still render is not blurred", "a still render's"},
      {"grouped", "\"3 frames (1 to 3) written to ", "an animation's summary"},
      {"listed_version", "\"" QXV_VERSION "\"", "Blender lists another version, or none"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(said(c.name).rfind(c.begins, 0), 0u) << c.name << ": " << c.why << "\n" << report;
  }
  // The shutter look, chosen after Set Up Passes, needs the Z pass (as the
  // depth test does): the first render with it set it up and said so.
  EXPECT_NE(said("shutter").find("; Set Up Passes had not been run, so the render set up the Z "
                                 "pass (for the depth test)"),
            std::string::npos)
      << report;
  for (const char* name : {"blurred", "sharp", "alone"}) {
    EXPECT_EQ(said(name).find("Set Up Passes"), std::string::npos) << name << "\n" << report;
  }
}

}  // namespace
}  // namespace qxv::tool::test
