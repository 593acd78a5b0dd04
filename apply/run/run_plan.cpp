#include "apply/run/run_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "apply/apply_error.h"
#include "apply/input/frame_pattern.h"
#include "apply/input/pass_table.h"

namespace qxv::apply {
namespace {

std::string SamePlace(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::weakly_canonical(path, ignored).string();
}

}  // namespace

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

RunPlan PlanFrames(const ApplySettings& o) {
  FrameRange range;
  const std::vector<int> present = FramesPresent(o.colour.pattern);
  if (!o.first || !o.last) {
    if (present.empty()) {
      InputError("--colour: no file matches " + o.colour.pattern + " (" +
                 FrameName(o.colour.pattern, o.first.value_or(1)) + " and the like)");
    }
    range.first = o.first.value_or(present.front());
    range.last = o.last.value_or(present.back());
  } else {
    range = FrameRange{*o.first, *o.last};
  }
  if (range.last < range.first) {
    InputError("--colour: no frame from " + std::to_string(range.first) + " on (the last is " +
               std::to_string(range.last) + ")");
  }
  const RunPlan plan = PlanRun(o, range, present);
  // Every file first: a range given by mistake stops at its first gap
  // rather than listing millions of names.
  const std::vector<const PassRow*> inputs = PassesGiven(o);
  for (int f = plan.trackFrom; f <= range.last; ++f) {
    for (const PassRow* row : inputs) {
      const std::string path = FrameName((o.*row->source).pattern, f);
      std::error_code ignored;
      if (!std::filesystem::exists(path, ignored)) {
        InputError(std::string(row->flag) + ": " + path + ": No such file (frame " + std::to_string(f) + ")");
      }
    }
  }
  std::map<std::string, std::string> inputFiles;  // where, to which flag
  for (int f = plan.trackFrom; f <= range.last; ++f) {
    for (const PassRow* row : inputs) {
      inputFiles.emplace(SamePlace(FrameName((o.*row->source).pattern, f)), row->flag);
    }
  }
  for (int f = range.first; f <= range.last; ++f) {
    const std::string target = FrameName(o.output, f);
    const auto hit = inputFiles.find(SamePlace(target));
    if (hit != inputFiles.end()) {
      UsageError("--output: " + target + " would overwrite a file of " + hit->second);
    }
  }
  return plan;
}

}  // namespace qxv::apply
