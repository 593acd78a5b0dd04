#include "fuzz/harness.h"

#include <cstdio>
#include <cstdlib>

#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "module/counters.h"
#include "module/entry/exports.h"
#include "sim/host.h"
#include "sim/objects.h"

namespace qxv::fuzz {
void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

namespace {

const int kKinds[] = {kDepthBuffer, kObjectIndexBuffer, kMatch1Buffer, kMatch2Buffer,
                      kAlternateBuffer};

}  // namespace

HostFrame::HostFrame(const sim::BufferSpec& imageSpec, const sim::BufferSpec& bufferSpec)
    : width(imageSpec.width), height(imageSpec.height) {
  image = sim::NewTiledImage(imageSpec);
  for (int kind : kKinds) {
    buffers[kind] = sim::NewTileBuffer(bufferSpec);
    set[kind] = AsUnknown(buffers[kind]);
  }
}

HostFrame::~HostFrame() {
  sim::SetHostSideWork(true);
  ReleaseInterface(image);
  for (int kind : kKinds) ReleaseInterface(buffers[kind]);
  sim::SetHostSideWork(false);
}

void HostFrame::Draw(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h,
                     std::uint32_t index, std::uint32_t colour, std::uint32_t depth,
                     std::uint32_t alternate) {
  for (std::int32_t y = top; y < top + h; ++y) {
    for (std::int32_t x = left; x < left + w; ++x) {
      if (x < 0 || y < 0 || static_cast<std::uint32_t>(x) >= width ||
          static_cast<std::uint32_t>(y) >= height) {
        continue;
      }
      sim::WriteElement(image, x, y, colour);
      sim::WriteElement(buffers[kObjectIndexBuffer], x, y, index);
      sim::WriteElement(buffers[kMatch1Buffer], x, y, std::uint32_t(x - left) << 16);
      sim::WriteElement(buffers[kMatch2Buffer], x, y, std::uint32_t(y - top) << 16);
      sim::WriteElement(buffers[kDepthBuffer], x, y, depth);
      sim::WriteElement(buffers[kAlternateBuffer], x, y, alternate);
    }
  }
}

void InitModule() {
  static bool done = false;
  if (done) return;
  done = true;
  DllInitRDCom(sim::Shell());
}

Pblur* MakePblur() {
  ClassFactory* factory = nullptr;
  if (DllGetClassObject(&kCLSID_Pblur, &kIID_IClassFactory,
                        reinterpret_cast<void**>(&factory)) != S_OK) {
    Finding("no factory");
  }
  Pblur* pblur = nullptr;
  factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExPostRenderer,
                               reinterpret_cast<void**>(&pblur));
  factory->ops->Release(factory);
  if (!pblur) Finding("no Pblur");
  return pblur;
}

void ReleasePblur(Pblur* pblur) { pblur->ops->Release(pblur); }

namespace {

struct Call {
  Pblur* pblur;
  SceneObjectList* scene;
  HostFrame* frame;
  Result result;
};

void CallPostRender(void* context) {
  Call* c = static_cast<Call*>(context);
  c->result = c->pblur->ops->PostRender(c->pblur, c->scene, c->frame->image, c->frame->set,
                                        nullptr, nullptr, nullptr);
}

}  // namespace

Result Render(Pblur* pblur, SceneObjectList* scene, HostFrame& frame) {
  Call call = {pblur, scene, &frame, E_FAIL};
  std::int32_t error = 0, detail = 0;
  if (!sim::RunInHostFrame(CallPostRender, &call, &error, &detail)) {
    Finding("a failure reached the host");
  }
  if (sim::ChainHead() != nullptr) Finding("chain head not restored");
  if (call.result != S_OK && call.result != E_INVALIDARG && call.result != E_OUTOFMEMORY) {
    Finding("unexpected result code");
  }
  return call.result;
}

Baseline TakeBaseline() { return {sim::LiveHostObjects(), sim::LiveBlocks(), liveObjects}; }

void CheckBaseline(const Baseline& b) {
  if (sim::LiveHostObjects() != b.objects) Finding("host objects leaked");
  if (sim::LiveBlocks() != b.blocks) Finding("blocks leaked");
  if (liveObjects != b.moduleObjects) Finding("module objects leaked");
  if (sim::LockedTiles() != 0) Finding("tiles left locked");
}

}  // namespace qxv::fuzz
