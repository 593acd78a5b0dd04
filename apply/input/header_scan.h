// Every frame's files looked at before the first frame is written: that
// each opens as an image, its size, and the channels each pass takes from
// it. A fault in frame 900 then stops a run at once, not after 899 frames.
#pragma once
#include <functional>
#include <string>

#include "apply/input/frame_shape.h"
#include "apply/run/apply_settings.h"
#include "apply/run/run_plan.h"

namespace qxv::apply {

// Something the run can go on with but the user should know; one line.
using Warning = std::function<void(const std::string& line)>;

// Reads the header of every file of the plan's frames, and returns the
// size they share and whether the colour has alpha. Throws an input error
// whose message names the flag, then the file. Warns of settings under which
// the output is not what the user probably wants.
FrameShape ScanHeaders(const ApplySettings& settings, const RunPlan& plan, const Warning& warn);

}  // namespace qxv::apply
