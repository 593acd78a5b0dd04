// One frame of the shutter look, from its passes as read to the picture
// apply writes: the colour as linear premultiplied floats, the vector pass
// as the paths to the previous and next frames, the depth as stored.
#pragma once
#include "apply/input/frame_inputs.h"
#include "apply/output/image_output.h"
#include "apply/run/apply_settings.h"

namespace qxv::apply {

// `in` holds colour and vector of one size (two channels, or four with the
// vectors to the next frame) and optionally depth; the output is written
// at `outputBits` (8, 16, or 32 for premultiplied floats).
OutputImage ShutterPicture(const ApplySettings& settings, const FrameInputs& in, int outputBits);

}  // namespace qxv::apply
