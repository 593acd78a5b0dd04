#include <cstdio>
#include <cstdlib>

#include "host/identifiers.h"
#include "sim/host.h"
#include "sim/object_registry.h"
#include "sim/view.h"

namespace qxv::sim {
namespace {

struct ViewObject {
  RenderView face;  // first, so the interface pointer is the object's address
  ObjectHeader header;
  std::vector<ShownRegion>* shown;
};

ViewObject* ObjectOfView(RenderView* self) { return reinterpret_cast<ViewObject*>(self); }

void DestroyView(void* face) {
  ViewObject* object = static_cast<ViewObject*>(face);
  UnregisterObject(face);
  delete object->shown;
  delete object;
}

Result QXV_CALL QueryInterface(RenderView* self, const Guid* iid, void** out) {
  EnterHostCall(HostOp::kQueryInterface);
  if (!out || !iid) {
    NoteBadAccess();
    if (out) *out = nullptr;
    return E_POINTER;
  }
  if (!SameGuid(*iid, kIID_IUnknown)) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  Retain(&ObjectOfView(self)->header);
  *out = self;
  return S_OK;
}

std::uint32_t QXV_CALL AddRef(RenderView* self) {
  EnterHostCall(HostOp::kAddRef);
  return Retain(&ObjectOfView(self)->header);
}

std::uint32_t QXV_CALL Release(RenderView* self) {
  EnterHostCall(HostOp::kRelease);
  return Drop(self, &ObjectOfView(self)->header);
}

// Nothing raises after the host-call check, so the record may allocate.
Result QXV_CALL ShowRegion(RenderView* self, TiledImage* image, const Rect16* source,
                           const Rect32* destination) {
  EnterHostCall(HostOp::kShowRegion);
  if (!source || !destination) {
    NoteBadAccess();
    return E_POINTER;
  }
  ObjectOfView(self)->shown->push_back(ShownRegion{image, *source, *destination});
  return S_OK;
}

const RenderViewOps kRenderViewOps = {QueryInterface, AddRef, Release, {}, ShowRegion};

ViewObject& CheckedView(RenderView* view) {
  ObjectHeader* header = FindObject(view);
  if (!header || view->ops != &kRenderViewOps) {
    std::fprintf(stderr, "simulated host: %p is not a live simulated view\n",
                 static_cast<void*>(view));
    std::abort();
  }
  return *ObjectOfView(view);
}

}  // namespace

RenderView* NewRenderView() {
  ViewObject* object = new ViewObject{
      {&kRenderViewOps}, {1, 0, &DestroyView, nullptr}, new std::vector<ShownRegion>};
  RegisterObject(object, &object->header);
  return &object->face;
}

const std::vector<ShownRegion>& ShownRegions(RenderView* view) { return *CheckedView(view).shown; }

void ClearShownRegions(RenderView* view) { CheckedView(view).shown->clear(); }

}  // namespace qxv::sim
