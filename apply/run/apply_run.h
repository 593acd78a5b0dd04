// One run of apply: every frame of the range read, blurred by the module
// through the simulated host, and written.
#pragma once
#include <functional>

#include "apply/input/header_scan.h"
#include "apply/run/apply_settings.h"
#include "apply/run/run_plan.h"
#include "sim/module_exports.h"

namespace qxv::apply {

// Called with 0 done before the first frame is read, then after each frame
// is written: frames written so far, frames to write in all.
using FrameProgress = std::function<void(int done, int total)>;

// Every frame's header is read first, and `warn` told of settings that
// make little sense. Returns what was run and written; throws ApplyError on
// bad input. Frames written before a failing frame stay; the failing frame
// leaves no file.
RunPlan RunApply(const ApplySettings& settings, const sim::ModuleExports& module,
                 const FrameProgress& progress, const Warning& warn = nullptr);

}  // namespace qxv::apply
