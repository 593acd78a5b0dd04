// Driving the module as a host does, the one way every tool, test, fuzz
// target and benchmark does it: the shell handed over, objects made through
// the class factories, the data blocks edited through GetData and
// ApplyData, and PostRender called below a host frame of the host's own.
#pragma once
#include <cstdint>

#include "host/generic_data.h"
#include "host/parameter_block.h"
#include "host/post_renderer.h"
#include "host/render_view.h"
#include "host/scene.h"
#include "host/weight_data.h"
#include "sim/module_exports.h"
#include "sim/rendered_frame.h"

namespace qxv::sim {

// DllInitRDCom with the simulated host's shell.
void HandOverShell(const ModuleExports& module);

// A new object of one of the module's classes through a fresh factory,
// asked for the class's host interface, with one reference for the caller.
// Null when the module refuses, with its result code in *result.
PostRenderer* CreatePostRenderer(const ModuleExports& module, Result* result = nullptr);
GenericData* CreateWeight(const ModuleExports& module, Result* result = nullptr);

// The data blocks, as the host's user interface edits them in place; the
// host calls ApplyData (ApplyEdits) once it is done.
ParameterBlock& ParametersOf(PostRenderer* renderer);
WeightData& WeightDataOf(GenericData* weight);
void ApplyEdits(PostRenderer* renderer);
// The BufferSet entries the post-renderer asks the host to render.
std::uint32_t NeededBuffersOf(PostRenderer* renderer);

struct FrameOutcome {
  bool completed;  // false when a failure reached the host's frame
  Result result;   // what PostRender returned, when it returned
  std::int32_t error, detail;
};
// PostRender of the frame below a host frame; the view may be null.
FrameOutcome RenderFrame(PostRenderer* renderer, SceneObjectList* scene, RenderedFrame& frame,
                         RenderView* view);

}  // namespace qxv::sim
