// How far back a frame range reaches before its first written frame.
#include <gtest/gtest.h>

#include "apply/run/run_plan.h"

namespace qxv::apply {
namespace {

struct PlanCase {
  const char* what;
  ApplySettings settings;
  std::vector<int> present;
  FrameRange written;
  int blurFrom;
};

ApplySettings With(void (*edit)(ApplySettings&)) {
  ApplySettings s;
  edit(s);
  return s;
}

TEST(RunPlanTest, ARangeLeadsInByABoundWhereverItFalls) {
  const std::vector<int> shot = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const auto trails3 = With([](ApplySettings& s) { s.edits.trailFrames = 3.0f; });
  const PlanCase cases[] = {
      {"previous frame only", {}, shot, {5, 8}, 4},
      {"shot's first frame has none", {}, shot, {1, 8}, 1},
      {"trails: trails + 2 frames", trails3, shot, {11, 12}, 6},
      {"trails: no further than the shot's first", trails3, shot, {4, 8}, 1},
      {"trails 0 are off", With([](ApplySettings& s) { s.edits.trailFrames = 0.0f; }), shot, {5, 8}, 4},
      {"jitter: the previous frame", With([](ApplySettings& s) { s.edits.jitter = true; }), shot, {11, 11}, 10},
      {"vectors: the previous frame", With([](ApplySettings& s) { s.vector.pattern = "v_%d.exr"; }), shot, {11, 12}, 10},
      {"lead-in given", With([](ApplySettings& s) { s.leadIn = 2; s.edits.trailFrames = 3.0f; }), shot, {6, 8}, 4},
      {"lead-in from the shot's first", With([](ApplySettings& s) { s.leadIn = kEveryEarlierFrame; }), shot, {11, 12}, 1},
      {"lead-in 0", With([](ApplySettings& s) { s.leadIn = 0; s.vector.pattern = "v_%d.exr"; }), shot, {6, 8}, 6},
      {"lead-in longer than the shot", With([](ApplySettings& s) { s.leadIn = 50; }), shot, {3, 8}, 1},
      {"a gap ends the lead-in", With([](ApplySettings& s) { s.leadIn = kEveryEarlierFrame; }),
       {1, 2, 4, 5, 6}, {6, 6}, 4},
      {"previous frame missing", {}, {1, 2, 3, 5, 6}, {5, 6}, 5},
  };
  for (const PlanCase& c : cases) {
    const RunPlan plan = PlanRun(c.settings, c.written, c.present);
    EXPECT_EQ(plan.blurFrom, c.blurFrom) << c.what;
    EXPECT_EQ(plan.written.first, c.written.first) << c.what;
  }
}

}  // namespace
}  // namespace qxv::apply
