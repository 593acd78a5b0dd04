#include "apply/run/run_plan.h"

#include <algorithm>

namespace qxv::apply {

int TrailLeadIn(int trailFrames) {
  // The module fades a layer only for counts above 1: trails of 1 never
  // fade, and every earlier frame counts.
  if (trailFrames <= 1) return kEveryEarlierFrame;
  // A streak pixel fades out within trailFrames passes (128 / N coverage a
  // pass), but whether a later streak replaced it or lost to it was decided
  // against what it held, and the layers are smoothed in place, so in a few
  // pixels a difference is handed on without end; two frames more than the
  // fade leave 0.2 to 0.6% of the samples more than 1 apart on the demo.
  return trailFrames + 2;
}

int LeadInOf(const ApplySettings& o) {
  if (o.leadIn) return *o.leadIn;
  // Jitter's random steps carry from the module's first frame and are not
  // reproduced: a range is statistically the same, not the same bits
  // (--lead-in shot for those). Match values from motion vectors restart at
  // every frame, so they need only the previous frame too.
  const int trails = static_cast<int>(o.edits.trailFrames.value_or(0.0f));
  return trails > 0 ? TrailLeadIn(trails) : 1;
}

RunPlan PlanRun(const ApplySettings& o, FrameRange written, const std::vector<int>& present) {
  // The earliest frame from which every frame up to the first written one
  // is present.
  int unbroken = written.first;
  auto at = std::lower_bound(present.begin(), present.end(), written.first);
  while (at != present.begin() && *(at - 1) == unbroken - 1) {
    --at;
    --unbroken;
  }
  RunPlan plan;
  plan.written = written;
  plan.blurFrom = written.first - std::min(LeadInOf(o), written.first - unbroken);
  return plan;
}

}  // namespace qxv::apply
