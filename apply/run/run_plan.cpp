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
  // The shutter look blurs each frame from its own passes alone.
  if (o.look == Look::Shutter) return 0;
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
  for (int f = plan.blurFrom; f <= range.last; ++f) {
    for (const PassRow* row : inputs) {
      const std::string path = FrameName((o.*row->source).pattern, f);
      std::error_code ignored;
      if (!std::filesystem::exists(path, ignored)) {
        InputError(std::string(row->flag) + ": " + path + ": No such file (frame " + std::to_string(f) + ")");
      }
    }
  }
  std::map<std::string, std::string> inputFiles;  // where, to which flag
  for (int f = plan.blurFrom; f <= range.last; ++f) {
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
