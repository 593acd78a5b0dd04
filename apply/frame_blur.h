// The blur of a sequence, one frame at a time: each frame's passes turned
// into the module's values, blurred by the module through the simulated
// host, alpha by a second post-renderer, and the result as an image to
// write. It keeps what runs from frame to frame: the module's own state
// (previous frame, trails), the object numbering, the surfaces tracked
// along the motion vectors, and the scene built from the object settings.
// The apply command and the Python package both blur through it.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/module_exports.h"
#include "sim/rendered_frame.h"
#include "apply/apply_settings.h"
#include "apply/frame_inputs.h"
#include "apply/host_session.h"
#include "apply/object_scene.h"
#include "apply/pass_values.h"
#include "apply/surface_tracker.h"

namespace qxv::apply {

class FrameBlur {
 public:
  // Uses the settings' edits, tile, vector scale and objects (the patterns
  // are the caller's). Throws an input error when the module will not
  // make its objects.
  FrameBlur(const sim::ModuleExports& module, const ApplySettings& settings);
  ~FrameBlur();
  FrameBlur(const FrameBlur&) = delete;
  FrameBlur& operator=(const FrameBlur&) = delete;

  // Blurs the next frame. Every pass must have the colour's size, and the
  // size and whether the colour has alpha must stay those of the first
  // frame (input errors otherwise). Returns the colour, with alpha when the
  // input has it, as 8-bit samples or as linear floats (`linear`).
  OutputImage Frame(const FrameInputs& inputs, int frameNumber, bool linear);

  const ParameterBlock& Parameters() const { return session_.Parameters(); }

 private:
  class AlphaPass;
  void CheckShape(const FrameInputs& inputs);
  void MatchValuesOf(const FrameInputs& inputs, sim::PassImages* passes);

  const sim::ModuleExports module_;
  const ApplySettings settings_;
  Session session_;
  std::unique_ptr<ObjectScene> scene_;
  ObjectNumbers objects_;
  SurfaceTracker tracker_;
  std::unique_ptr<sim::RenderedFrame> frame_;
  std::unique_ptr<AlphaPass> alphaPass_;
  bool started_ = false, hasAlpha_ = false;
  std::uint32_t width_ = 0, height_ = 0;
  sim::PassImages passes_;
  std::vector<std::uint32_t> alpha_;
};

}  // namespace qxv::apply
