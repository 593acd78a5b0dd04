#include "apply/run/run_plan.h"

#include <algorithm>

namespace qxv::apply {

Reach ReachOf(const ApplySettings& o) {
  Reach reach;
  // The shutter look blurs each frame from its own passes alone.
  if (o.look == Look::Shutter) return Reach{0, 0};
  if (o.leadIn) return Reach{*o.leadIn, *o.leadIn};
  // Trails keep the streak layers from frame to frame. A pixel fades out
  // within a few frames, but whether a later streak replaced it or lost to
  // it was decided against what it held then, and such decisions pass on
  // from frame to frame without a bound. The jitter generator advances with
  // every step of every streak since the module was loaded.
  const bool trails = o.edits.trailFrames.value_or(0.0f) > 0.0f;
  if (trails || o.edits.jitter.value_or(false)) reach.blur = kEveryEarlierFrame;
  // Tracked match values are carried from each frame into the next, from
  // the first frame tracked.
  if (!o.vector.pattern.empty()) reach.track = kEveryEarlierFrame;
  return reach;
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
  const Reach reach = ReachOf(o);
  const auto back = [&](int frames) {
    return written.first - std::min(frames, written.first - unbroken);
  };
  RunPlan plan;
  plan.written = written;
  plan.blurFrom = back(reach.blur);
  plan.trackFrom = std::min(plan.blurFrom, back(reach.track));
  return plan;
}

}  // namespace qxv::apply
