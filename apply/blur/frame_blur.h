// The blur of a sequence handed over one frame at a time, on the caller's
// thread: each frame's passes checked, turned into the module's values,
// blurred through the simulated host and made into a picture, exactly as
// apply does with the frames it reads from files. The Python package
// blurs through it.
#pragma once
#include "apply/blur/module_blur.h"
#include "apply/input/frame_inputs.h"
#include "apply/input/frame_shape.h"
#include "apply/output/image_output.h"
#include "apply/passes/pass_converter.h"
#include "apply/run/apply_settings.h"
#include "sim/module_exports.h"

namespace qxv::apply {

class FrameBlur {
 public:
  // Uses the settings' edits, tile, vector scale and objects (the patterns
  // are the caller's, who keeps the settings alive). Throws a module error
  // when the module will not make its objects.
  FrameBlur(const sim::ModuleExports& module, const ApplySettings& settings);

  // Blurs the next frame (the shutter look: each frame alone, from its
  // colour, vector and any depth). Every pass must have the colour's size, and the
  // size and whether the colour has alpha must stay those of the first
  // frame (input errors otherwise, and the sequence is as it was). Returns
  // the picture as apply writes it at `outputBits` (8, 16, or 32 for
  // premultiplied floats).
  OutputImage Frame(FrameInputs&& inputs, int outputBits);

  int Frames() const { return frames_; }

 private:
  void CheckShape(const FrameInputs& inputs) const;

  const ApplySettings& o_;
  PassConverter converter_;
  ModuleBlur blur_;
  int frames_ = 0;
  FrameShape first_;
};

}  // namespace qxv::apply
