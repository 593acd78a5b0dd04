#include "sim/driver.h"

#include "host/class_factory.h"
#include "host/identifiers.h"
#include "sim/host.h"

namespace qxv::sim {
namespace {

void* Create(const ModuleExports& module, const Guid& clsid, const Guid& iid, Result* result) {
  ClassFactory* factory = nullptr;
  Result r =
      module.getClassObject(&clsid, &kIID_IClassFactory, reinterpret_cast<void**>(&factory));
  void* object = nullptr;
  if (r == S_OK && factory) {
    r = factory->ops->CreateInstance(factory, nullptr, &iid, &object);
    factory->ops->Release(factory);
  }
  if (result) *result = r;
  return r == S_OK ? object : nullptr;
}

struct PassCall {
  PostRenderer* renderer;
  SceneObjectList* scene;
  RenderedFrame* frame;
  RenderView* view;
  Result result;
};

void CallPostRender(void* context) {
  PassCall* call = static_cast<PassCall*>(context);
  call->result = call->renderer->ops->PostRender(call->renderer, call->scene, call->frame->image,
                                                 call->frame->set.data(), call->view, nullptr,
                                                 nullptr);
}

}  // namespace

void HandOverShell(const ModuleExports& module) { module.initRDCom(Shell()); }

PostRenderer* CreatePostRenderer(const ModuleExports& module, Result* result) {
  return static_cast<PostRenderer*>(
      Create(module, kCLSID_Pblur, kIID_I3DExPostRenderer, result));
}

GenericData* CreateWeight(const ModuleExports& module, Result* result) {
  return static_cast<GenericData*>(Create(module, kCLSID_Weight, kIID_I3DExGenericData, result));
}

ParameterBlock& ParametersOf(PostRenderer* renderer) {
  return *static_cast<ParameterBlock*>(renderer->ops->GetData(renderer));
}

WeightData& WeightDataOf(GenericData* weight) {
  return *static_cast<WeightData*>(weight->ops->GetData(weight));
}

void ApplyEdits(PostRenderer* renderer) { renderer->ops->ApplyData(renderer); }

std::uint32_t NeededBuffersOf(PostRenderer* renderer) {
  std::uint32_t mask = 0;
  renderer->ops->GetNeededBuffers(renderer, &mask, nullptr);
  return mask;
}

FrameOutcome RenderFrame(PostRenderer* renderer, SceneObjectList* scene, RenderedFrame& frame,
                         RenderView* view) {
  PassCall call = {renderer, scene, &frame, view, E_FAIL};
  FrameOutcome outcome = {true, E_FAIL, 0, 0};
  outcome.completed = RunInHostFrame(CallPostRender, &call, &outcome.error, &outcome.detail);
  outcome.result = call.result;
  return outcome;
}

}  // namespace qxv::sim
