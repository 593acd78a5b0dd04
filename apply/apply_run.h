// One run of apply: every frame of the range read, blurred by the module
// through the simulated host, and written.
#pragma once
#include <functional>

#include "apply/apply_frames.h"
#include "apply/apply_settings.h"
#include "sim/module_exports.h"

namespace qxv::apply {

// Called with 0 done before the first frame is read, then after each frame
// is blurred (and written, unless it is a lead-in frame): frames done so
// far, frames in all.
using FrameProgress = std::function<void(int done, int total)>;

// Returns what was run and written; throws ApplyError on bad input. Frames
// written before a failing frame stay; the failing frame leaves no file.
RunPlan RunApply(const ApplySettings& settings, const sim::ModuleExports& module,
                    const FrameProgress& progress);

}  // namespace qxv::apply
