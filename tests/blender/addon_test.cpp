// The Blender add-on, headless in Debian's Blender: a scene built by
// addon_render.py rendered as animations through the add-on. The box's
// frames trail behind it, while the ball set to Off and the still cube come
// out exactly as rendered (the same scene rendered with mode none); two parts
// in one group let each other's streaks through the depth test; a still
// render writes nothing and says why; a farm's ranges, each started one
// frame early, write the whole render's frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>

#include "apply/input/frame_pattern.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

#ifdef QXV_PYTHON_DIR
const char* const kPythonDir = QXV_PYTHON_DIR;
#else
const char* const kPythonDir = nullptr;
#endif

bool BlenderRuns() { return std::system("blender --version >/dev/null 2>&1") == 0; }

std::string Text(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class BlenderAddonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!kPythonDir || !BlenderRuns()) return;
    scratch_ = new ScratchFolder;
    const std::string command =
        "blender -b --factory-startup --python-exit-code 1 -P " + std::string(QXV_SOURCE_DIR) +
        "/tests/blender/addon_render.py -- " + QXV_SOURCE_DIR + " " + kPythonDir + " " +
        (*scratch_ / "") + " >" + (*scratch_ / "blender.log") + " 2>&1";
    rendered_ = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override {
    if (!kPythonDir) GTEST_SKIP() << "configure with -DQXV_BUILD_PYTHON=ON to build the package";
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
    // The box's bounds in this frame.
    std::uint32_t left = index.width, right = 0, top = index.height, bottom = 0;
    for (std::size_t i = 0; i < index.Pixels(); ++i) {
      if (static_cast<int>(index.At(i, 0)) != box) continue;
      const auto x = static_cast<std::uint32_t>(i % index.width);
      const auto y = static_cast<std::uint32_t>(i / index.width);
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
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

TEST_F(BlenderAddonTest, TellsWhatWasWrittenAndWhyAStillRenderWritesNothing) {
  const std::string report = Text(At("objects.json"));
  EXPECT_NE(report.find("\"blurred\": \"3 frames (1 to 3) written to "), std::string::npos)
      << report;
  EXPECT_NE(report.find("\"still\": \"nothing written: a still render is not blurred"),
            std::string::npos)
      << report;
}

}  // namespace
}  // namespace qxv::tool::test
