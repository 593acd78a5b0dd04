// One frame's passes as read turned into the module's values, in frame
// order: the colour as codes, object numbers, match values, depth and the
// alternate set. It keeps what runs from frame to frame: the object
// numbering. The files' reader and the frames handed over from memory both
// convert through it.
#pragma once
#include "apply/input/frame_inputs.h"
#include "apply/passes/converted_frame.h"
#include "apply/passes/pass_values.h"
#include "apply/passes/previous_positions.h"
#include "apply/run/apply_settings.h"

namespace qxv::apply {

class PassConverter {
 public:
  // Uses the settings' vector scale.
  explicit PassConverter(const ApplySettings& settings) : o_(settings) {}

  // `in` has passed its size checks and holds one source of match values;
  // its colour moves into `frame`, to be written at `outputBits`.
  void Convert(FrameInputs&& in, int number, int outputBits, ConvertedFrame* frame);

 private:
  // True when the values came from the motion vectors.
  bool Matches(const FrameInputs& in, sim::PassImages* passes);
  // The vectors as the module's motion, in an array kept from frame to
  // frame.
  Motion& MotionOf(const ChannelImage& vector);

  const ApplySettings& o_;
  ObjectNumbers objects_;
  Motion motion_;
};

}  // namespace qxv::apply
