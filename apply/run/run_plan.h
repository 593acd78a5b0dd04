// Which frames a run reads, blurs and writes. A farm splits a shot into
// frame ranges run apart; each range must write the pixels the whole shot's
// run writes, so it first runs, unwritten, the earlier frames whose state
// reaches its first frame. That reach is bounded for every setting, so a
// range costs the same wherever it falls in the shot.
#pragma once
#include <vector>

#include "apply/run/apply_settings.h"

namespace qxv::apply {

struct FrameRange {
  int first = 0, last = 0;
};

struct RunPlan {
  int blurFrom = 0;    // the first frame read and given to the module
  FrameRange written;  // the frames written; those before run unwritten
  int LeadIn() const { return written.first - blurFrom; }
};

// A lead-in that reaches back to the shot's first frame (--lead-in shot).
constexpr int kEveryEarlierFrame = 1 << 30;

// Lead-in frames for trails fading over `trailFrames` frames: by then every
// streak painted before the range has faded, and its frames are
// statistically the whole run's. No lead-in brings every pixel within 1 of
// 255 (bench/farm/trail_lead_in). Trails of 1 never fade: every earlier
// frame.
int TrailLeadIn(int trailFrames);

// How many frames before the first written one the settings need: the
// previous frame (its object tags, match values and depths), or with trails
// TrailLeadIn; --lead-in overrides it.
int LeadInOf(const ApplySettings& settings);

// The plan for the written range, given the colour frames present (in
// order). Lead-in frames are taken only while they run without a gap up to
// the first written frame.
RunPlan PlanRun(const ApplySettings& settings, FrameRange written, const std::vector<int>& present);

// The plan of the settings' run: --first and --last, defaulting to the
// first and last colour frames present, and the lead-in before them.
// Throws an input error naming the file when any pass misses a frame the
// run reads, and a usage error when an output file would be one of the
// input files.
RunPlan PlanFrames(const ApplySettings& settings);

}  // namespace qxv::apply
