#include "tools/host_session.h"

#include <cstdio>
#include <string>

#include "blur/pblur.h"
#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "sim/host.h"
#include "sim/view.h"
#include "tools/tool_error.h"
#include "weight/weight.h"

namespace pblur {
namespace {

std::string Hex(qxv::Result r) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(r));
  return text;
}

// A new object of one of the module's classes, asked for `iid`.
void* CreateFromFactory(const ModuleEntry& module, const qxv::Guid& clsid, const qxv::Guid& iid,
                        const char* what) {
  qxv::ClassFactory* factory = nullptr;
  qxv::Result r =
      module.getClassObject(&clsid, &qxv::kIID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (r != qxv::S_OK || !factory) {
    InputError(std::string("module: no class factory for ") + what + " (" + Hex(r) + ")");
  }
  void* object = nullptr;
  r = factory->ops->CreateInstance(factory, nullptr, &iid, &object);
  factory->ops->Release(factory);
  if (r != qxv::S_OK || !object) {
    InputError(std::string("module: cannot create ") + what + " (" + Hex(r) + ")");
  }
  return object;
}

struct PassCall {
  qxv::Pblur* pblur;
  qxv::SceneObjectList* scene;
  HostFrame* frame;
  qxv::RenderView* view;
  qxv::Result result;
};

void CallPostRender(void* context) {
  PassCall* call = static_cast<PassCall*>(context);
  call->result = call->pblur->ops->PostRender(call->pblur, call->scene, call->frame->Image(),
                                              call->frame->Set(), call->view, nullptr, nullptr);
}

}  // namespace

Session::Session(const ModuleEntry& module) : module_(module) {
  module_.initRDCom(qxv::sim::Shell());
  pblur_ = static_cast<qxv::Pblur*>(
      CreateFromFactory(module_, qxv::kCLSID_Pblur, qxv::kIID_I3DExPostRenderer, "Pblur"));
  block_ = static_cast<qxv::ParameterBlock*>(pblur_->ops->GetData(pblur_));
  view_ = qxv::sim::NewRenderView();
}

Session::~Session() {
  qxv::ReleaseInterface(view_);
  pblur_->ops->Release(pblur_);
}

void Session::Edit(const ParameterEdits& e) {
  qxv::ParameterBlock& p = *block_;
  if (e.streakLength) p.streakLength = *e.streakLength;
  if (e.mainStrength) p.mainStrength = *e.mainStrength;
  if (e.altLength) p.altLength = *e.altLength;
  if (e.altStrength) p.altStrength = *e.altStrength;
  if (e.echoCount) p.echoCount = *e.echoCount;
  if (e.reverseLength) p.reverseLength = *e.reverseLength;
  if (e.jitter) p.jitter = *e.jitter ? 1 : 0;
  if (e.depthTest) p.depthTest = *e.depthTest ? 1 : 0;
  if (e.secondaryLayer) p.secondaryLayer = *e.secondaryLayer ? 1 : 0;
  if (e.trailFrames) {
    p.trails = *e.trailFrames > 0.0f ? 1 : 0;
    p.trailFrames = *e.trailFrames;
  }
  if (e.modeCommand) p.commandCode = *e.modeCommand;
  pblur_->ops->ApplyData(pblur_);
}

const qxv::ParameterBlock& Session::Parameters() const { return *block_; }

std::uint32_t Session::NeededBuffers() const {
  std::uint32_t mask = 0;
  pblur_->ops->GetNeededBuffers(pblur_, &mask, nullptr);
  return mask;
}

qxv::Unknown* Session::NewWeight(const WeightValues& values) const {
  qxv::Weight* weight = static_cast<qxv::Weight*>(
      CreateFromFactory(module_, qxv::kCLSID_Weight, qxv::kIID_I3DExGenericData, "Weight"));
  qxv::WeightData* data = static_cast<qxv::WeightData*>(weight->ops->GetData(weight));
  data->primaryWeight = values.primary;
  data->secondaryWeight = values.secondary;
  data->groupChildren = values.groupChildren ? 1 : 0;
  weight->ops->ApplyData(weight);
  return qxv::AsUnknown(weight);
}

void Session::Render(qxv::SceneObjectList* scene, HostFrame& frame, int frameNumber) {
  frame.Offer(NeededBuffers());
  PassCall call = {pblur_, scene, &frame, view_, qxv::E_FAIL};
  std::int32_t error = 0, detail = 0;
  bool completed = qxv::sim::RunInHostFrame(CallPostRender, &call, &error, &detail);
  qxv::sim::ClearShownRegions(view_);
  const std::string where = "frame " + std::to_string(frameNumber) + ": ";
  if (!completed) {
    InputError(where + "the module raised a host failure (error " + std::to_string(error) +
               ", detail " + std::to_string(detail) + ")");
  }
  if (call.result != qxv::S_OK) InputError(where + "PostRender answered " + Hex(call.result));
}

}  // namespace pblur
