// Frame numbers as renderers write them, the frames a run finds, and the
// few frames a contact sheet keeps.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/tool/support.h"
#include "tools/contact_sheet.h"
#include "apply/input/frame_pattern.h"
#include "apply/apply_error.h"

namespace qxv::tool::test {
namespace {

TEST(ToolSequenceTest, PatternsTakeOneFrameNumberPrintfStyleOrAsHashes) {
  const std::tuple<std::string, int, std::string> names[] = {{"r_####.exr", 7, "r_0007.exr"},
                                                             {"r_#.png", 12, "r_12.png"},
                                                             {"r_%04d.exr", 12345, "r_12345.exr"},
                                                             {"%%_##_%%", 7, "%_07_%"},
                                                             {"a/b_%d", 0, "a/b_0"}};
  for (const auto& [pattern, frame, name] : names) {
    EXPECT_NO_THROW(apply::CheckPattern("--colour", pattern)) << pattern;
    EXPECT_EQ(apply::FrameName(pattern, frame), name) << pattern;
  }
  for (const char* bad : {"r_%d_####.exr", "r_##_##.exr", "r.exr", "r_%s.exr"}) {
    try {
      apply::CheckPattern("--colour", bad);
      ADD_FAILURE() << bad;
    } catch (const apply::ApplyError& e) {
      EXPECT_EQ(e.kind, apply::ErrorKind::Usage) << bad;
    }
  }
}

TEST(ToolSequenceTest, FramesPresentAreThoseThePatternNames) {
  ScratchFolder scratch;
  for (const char* name : {"r_0001.exr", "r_0002.exr", "r_0004.exr", "r_12345.exr", "r_7.exr",
                           "r_00003.exr", "r_0005.exr.part", "r_000x.exr", "s_0006.exr"}) {
    std::ofstream(scratch / name) << "x";
  }
  EXPECT_EQ(apply::FramesPresent(scratch / "r_####.exr"), (std::vector<int>{1, 2, 4, 12345}));
  EXPECT_EQ(apply::FramesPresent(scratch / "r_%d.exr"), (std::vector<int>{7, 12345}));
  EXPECT_TRUE(apply::FramesPresent(scratch / "none/r_%d.exr").empty());
}

TEST(ToolSequenceTest, TheSheetShowsAtMostTwelveFramesSpreadOverTheRun) {
  EXPECT_EQ(SheetFrames(1, 12), std::vector<int>{1});
  EXPECT_EQ(SheetFrames(3, 12), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(SheetFrames(13, 12), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}));
  for (int frames : {12, 13, 200, 1000}) {
    const std::vector<int> shown = SheetFrames(frames, 12);
    ASSERT_EQ(shown.size(), 12u) << frames;
    EXPECT_EQ(shown.front(), 1);
    EXPECT_EQ(shown.back(), frames);
    for (std::size_t k = 1; k < shown.size(); ++k) EXPECT_LT(shown[k - 1], shown[k]) << frames;
  }

  ScratchFolder scratch;
  ToolRun r =
      RunTool({"demo", "--out", scratch / "d", "--size", "32x32", "--frames", "14", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const apply::ChannelImage sheet = ReadAll(scratch / "d/contact_sheet.png");
  EXPECT_EQ(sheet.width, 12u * 32 + 13 * 4);
  EXPECT_EQ(sheet.height, 2u * 32 + 3 * 4);
}

}  // namespace
}  // namespace qxv::tool::test
