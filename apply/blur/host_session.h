// The tool in the host's seat: one post-renderer made through the module's
// class factory, its parameter block edited as a host's user interface
// edits it, and PostRender run below a host frame (sim/driver.h).
#pragma once
#include <cstdint>

#include "host/parameter_block.h"
#include "host/post_renderer.h"
#include "host/render_view.h"
#include "host/scene.h"
#include "host/unknown.h"
#include "sim/module_exports.h"
#include "sim/rendered_frame.h"
#include "apply/run/apply_settings.h"

namespace qxv::apply {

struct WeightValues {
  float primary = 5.0f, secondary = 5.0f;
  bool groupChildren = true;
};

class Session {
 public:
  // Throws a module error when the module will not make its objects.
  explicit Session(const sim::ModuleExports& module);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Writes the edited fields into the block the module handed out, the
  // mode as a pending command, then lets the module apply it.
  void Edit(const ParameterEdits& edits);
  const ParameterBlock& Parameters() const;
  // Whether the streak layers live on from frame to frame (trails).
  bool KeepsLayers() const;
  // The BufferSet entries the module asks the host to render.
  std::uint32_t NeededBuffers() const;

  // A Weight from the module's own factory with one reference for the
  // caller, who attaches it to a scene node and releases it.
  Unknown* NewWeight(const WeightValues& values) const;

  // One PostRender over the frame; throws a module error naming the frame
  // when the module fails it.
  void Render(SceneObjectList* scene, sim::RenderedFrame& frame, int frameNumber);
  // One PostRender that only makes the frame the reference for the next and
  // leaves the streak layers as they were. Without trails the module's
  // cached frames are dropped first, so the pass stores the frame and paints
  // nothing. With trails, whose layers must live on, a full pass with no
  // streak length paints nothing and a fade count of 1 fades nothing; the
  // layers are smoothed once more, which is all it changes.
  void RenderReference(SceneObjectList* scene, sim::RenderedFrame& frame, int frameNumber);

 private:
  sim::ModuleExports module_;
  PostRenderer* renderer_ = nullptr;
  RenderView* view_ = nullptr;
};

}  // namespace qxv::apply
