#include "bench/demo_frames.h"

#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "host/exports.h"
#include "sim/host.h"
#include "tools/demo_command.h"
#include "tools/demo_scene.h"
#include "tools/host_frame.h"
#include "tools/host_session.h"

namespace qxv::bench {
namespace {

// The middle of the demo's eight frames, where everything is in motion.
constexpr int kFrames = 8;
constexpr int kFirstFrame = 4;
const pblur::Size kTile = {64, 64};

pblur::ModuleEntry LinkedModule() {
  pblur::ModuleEntry m;
  m.getClassObject = DllGetClassObject;
  m.canUnloadNow = DllCanUnloadNow;
  m.initRDCom = DllInitRDCom;
  return m;
}

struct PassCall {
  Pblur* pblur;
  SceneObjectList* scene;
  pblur::HostFrame* frame;
  RenderView* view;
  Result result;
};

void CallPostRender(void* context) {
  PassCall* c = static_cast<PassCall*>(context);
  c->result = c->pblur->ops->PostRender(c->pblur, c->scene, c->frame->Image(), c->frame->Set(),
                                        c->view, nullptr, nullptr);
}

}  // namespace

struct DemoFrames::State {
  pblur::Size size;
  pblur::Session session{LinkedModule()};
  std::unique_ptr<pblur::DemoScene> scene;
  std::unique_ptr<pblur::HostFrame> frame;
  pblur::PassImages passes[2];
};

DemoFrames::DemoFrames(std::uint32_t width, std::uint32_t height) : s_(new State) {
  s_->size = pblur::Size{width, height};
  s_->session.Edit(pblur::DemoEdits(pblur::ParameterEdits{}));
  s_->scene.reset(new pblur::DemoScene(s_->session, s_->size));
  s_->frame.reset(new pblur::HostFrame(s_->size, kTile));
  s_->frame->Offer(s_->session.NeededBuffers());
  for (int i = 0; i < 2; ++i) s_->scene->Render(kFirstFrame + i, kFrames, &s_->passes[i]);
}

DemoFrames::~DemoFrames() = default;

std::uint32_t DemoFrames::Width() const { return s_->size.width; }
std::uint32_t DemoFrames::Height() const { return s_->size.height; }

std::uint32_t DemoFrames::Tiles() const {
  return ((s_->size.width + kTile.width - 1) / kTile.width) *
         ((s_->size.height + kTile.height - 1) / kTile.height);
}

std::uint64_t DemoFrames::ObjectPixels(int which) const {
  std::uint64_t n = 0;
  for (std::uint32_t v : s_->passes[which].index) n += v != 0u;
  return n;
}

Pblur* DemoFrames::NewPblur() const {
  ClassFactory* factory = nullptr;
  DllGetClassObject(&kCLSID_Pblur, &kIID_IClassFactory, reinterpret_cast<void**>(&factory));
  Pblur* pblur = nullptr;
  factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExPostRenderer,
                               reinterpret_cast<void**>(&pblur));
  factory->ops->Release(factory);
  pblur->parameters = s_->session.Parameters();
  pblur->parameters.resetPending = 0;
  return pblur;
}

void DemoFrames::Load(int which) { s_->frame->Load(s_->passes[which]); }

Result DemoFrames::RenderLoaded(Pblur* pblur, RenderView* view) {
  PassCall call = {pblur, s_->scene->List(), s_->frame.get(), view, E_FAIL};
  if (!sim::RunInHostFrame(CallPostRender, &call, nullptr, nullptr)) return E_FAIL;
  return call.result;
}

Result DemoFrames::Render(Pblur* pblur, int which, RenderView* view) {
  Load(which);
  return RenderLoaded(pblur, view);
}

}  // namespace qxv::bench
