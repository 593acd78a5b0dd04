// Which frames a run reads, blurs and writes. A farm splits a shot into
// frame ranges run apart; each range must write the pixels the whole shot's
// run writes, so it first runs, unwritten, the earlier frames whose state
// reaches its first frame.
#pragma once
#include <vector>

#include "apply/run/apply_settings.h"

namespace qxv::apply {

struct FrameRange {
  int first = 0, last = 0;
};

struct RunPlan {
  int trackFrom = 0;   // the first frame read; up to blurFrom only its index and vectors
  int blurFrom = 0;    // the first frame given to the module
  FrameRange written;  // the frames written; those before run unwritten
  int LeadIn() const { return written.first - blurFrom; }
};

// How far back a setting's state reaches, in frames before the first
// written one; kEveryEarlierFrame when only the shot's first frame is early
// enough.
constexpr int kEveryEarlierFrame = 1 << 30;
struct Reach {
  int blur = 1;   // the module: the previous frame, or its trails and jitter
  int track = 0;  // the surface tracker behind --vector
};
Reach ReachOf(const ApplySettings& settings);

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
