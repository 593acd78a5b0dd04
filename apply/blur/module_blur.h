// The module's side of apply, on the host's thread: the post-renderer
// made through the module's factory, a scene holding the objects' settings
// as Weights (none without them), and the frames handed to PostRender as a
// host hands them.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "apply/blur/reference_pass.h"
#include "apply/colour/colour_frame.h"
#include "apply/passes/converted_frame.h"
#include "apply/run/apply_settings.h"
#include "sim/module_exports.h"

namespace qxv::apply {

class ObjectScene;
class AlphaBlur;
class Session;

class ModuleBlur {
 public:
  // Throws a module error when the module will not make its objects.
  ModuleBlur(const sim::ModuleExports& module, const ApplySettings& settings);
  ~ModuleBlur();
  ModuleBlur(const ModuleBlur&) = delete;
  ModuleBlur& operator=(const ModuleBlur&) = delete;

  // Blurs the frame's colour codes, and its alpha when it has one, in
  // order from frame to frame; throws a module error naming the frame when
  // the module fails it.
  ColourCodes Blur(ConvertedFrame& frame);

 private:
  sim::ModuleExports module_;
  const ApplySettings& o_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<ObjectScene> scene_;
  std::unique_ptr<AlphaBlur> alpha_;
  std::unique_ptr<sim::RenderedFrame> frame_;
  ReferencePass reference_;
};

}  // namespace qxv::apply
