// The tool in the host's seat: hands the module the simulated host's shell,
// makes a Pblur through the module's class factory, edits its parameter
// block through GetData and ApplyData, and runs PostRender below a host
// frame, exactly as a host drives a post-renderer.
#pragma once
#include <cstdint>

#include "blur/parameter_block.h"
#include "host/scene.h"
#include "host/unknown.h"
#include "tools/host_frame.h"
#include "tools/module_loader.h"
#include "tools/options.h"

namespace qxv {
struct Pblur;
struct RenderView;
}  // namespace qxv

namespace pblur {

struct WeightValues {
  float primary = 5.0f, secondary = 5.0f;
  bool groupChildren = true;
};

class Session {
 public:
  // Throws an input error when the module will not make its objects.
  explicit Session(const ModuleEntry& module);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Writes the edited fields into the block the module handed out, the
  // mode as a pending command, then lets the module apply it.
  void Edit(const ParameterEdits& edits);
  const qxv::ParameterBlock& Parameters() const;
  // The BufferSet entries the module asks the host to render.
  std::uint32_t NeededBuffers() const;

  // A Weight from the module's own factory with one reference for the
  // caller, who attaches it to a scene node and releases it.
  qxv::Unknown* NewWeight(const WeightValues& values) const;

  // One PostRender over the frame; throws an input error naming the frame
  // when the module fails it.
  void Render(qxv::SceneObjectList* scene, HostFrame& frame, int frameNumber);

 private:
  ModuleEntry module_;
  qxv::Pblur* pblur_ = nullptr;
  qxv::ParameterBlock* block_ = nullptr;
  qxv::RenderView* view_ = nullptr;
};

}  // namespace pblur
