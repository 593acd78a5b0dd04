#include "blur/pblur.h"

#include <new>

#include "blur/post_render.h"
#include "blur/search_host.h"
#include "host/buffer_set.h"
#include "host/identifiers.h"
#include "module/counters.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/message_box.h"

namespace qxv {
namespace {

Pblur* Of(PostRenderer* renderer) { return static_cast<Pblur*>(renderer); }

const Guid* const kPblurAnswers[] = {&kIID_IUnknown, &kIID_I3DExPostRenderer,
                                     &kIID_I3DExDataExchanger, &kIID_I3DExtension};

Result QXV_CALL PblurQueryInterface(PostRenderer* renderer, const Guid* iid, void** out) {
  Pblur* self = Of(renderer);
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!iid) return E_POINTER;
  for (const Guid* answer : kPblurAnswers) {
    if (SameGuid(*iid, *answer)) {
      *out = self;
      self->ops->AddRef(self);
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

std::uint32_t QXV_CALL PblurAddRef(PostRenderer* renderer) {
  Pblur* self = Of(renderer);
  return static_cast<std::uint32_t>(self->refCount++);
}

std::uint32_t QXV_CALL PblurRelease(PostRenderer* renderer) {
  Pblur* self = Of(renderer);
  const std::int32_t before = self->refCount--;
  if (self->refCount == 0) DestroyPblur(self);
  return static_cast<std::uint32_t>(before);
}

// The pass uses the shell DllInitRDCom handed over; this one is not kept.
Result QXV_CALL PblurInitExtension(PostRenderer*, HostShell*) { return S_OK; }

// The copy starts from the defaults: parameters are not carried over.
PostRenderer* QXV_CALL PblurClone(PostRenderer*) {
  Pblur* copy = NewPblur();
  if (copy) copy->ops->AddRef(copy);
  return copy;
}

std::int32_t QXV_CALL PblurReservedQuery(PostRenderer*) { return 0; }
void* QXV_CALL PblurGetData(PostRenderer* renderer) { return &Of(renderer)->parameters; }

std::int32_t QXV_CALL PblurApplyData(PostRenderer* renderer) {
  Pblur* self = Of(renderer);
  ApplyCommand(self->parameters);
  return 0;
}

Result QXV_CALL PblurHandleEvent(PostRenderer* renderer, std::int32_t code) {
  Pblur* self = Of(renderer);
  const std::uint32_t value = static_cast<std::uint32_t>(code);
  char text[5] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                  static_cast<char>(value >> 8), static_cast<char>(value), 0};
  ShowMessageBox(text, kMessageCaption, kMessageBoxSystemModal);
  ReleaseCachedObjects(self);
  return S_OK;
}

std::int32_t QXV_CALL PblurGetResourceId(PostRenderer*) { return kPblurResourceId; }

Result QXV_CALL PblurPostRender(PostRenderer* renderer, SceneObjectList* scene, TiledImage* image,
                                BufferSet buffers, RenderView* view, void*, void*) {
  Pblur* self = Of(renderer);
  return PostRender(self, scene, image, buffers, view);
}

Result QXV_CALL PblurGetNeededBuffers(PostRenderer* renderer, std::uint32_t* mask, void*) {
  Pblur* self = Of(renderer);
  if (!mask) return E_POINTER;
  *mask = NeededBuffers(self->parameters);
  return S_OK;
}

// Constant-initialised: no code of the module may run while the host loads it.
constexpr PostRendererOps kPblurOps = {
    PblurQueryInterface, PblurAddRef,        PblurRelease, PblurInitExtension,
    PblurClone,          PblurReservedQuery, PblurGetData, PblurApplyData,
    PblurHandleEvent,    PblurGetResourceId, PblurPostRender, PblurGetNeededBuffers,
};

}  // namespace

std::uint32_t NeededBuffers(const ParameterBlock& p) {
  std::uint32_t mask =
      BufferBit(kObjectIndexBuffer) | BufferBit(kMatch1Buffer) | BufferBit(kMatch2Buffer);
  if (p.secondaryLayer) mask |= BufferBit(kAlternateBuffer);
  if (p.depthTest) mask |= BufferBit(kDepthBuffer);
  return mask;
}

Pblur* NewPblur() {
  void* memory = Allocate(sizeof(Pblur));
  if (!memory) return nullptr;
  Pblur* pblur = new (memory) Pblur();
  pblur->ops = &kPblurOps;
  pblur->search.objectBox = kNoBox;
  pblur->parameters = DefaultParameters();
  ++liveObjects;
  return pblur;
}

void DestroyPblur(Pblur* pblur) {
  ReleaseCachedObjects(pblur);
  --liveObjects;
  Free(pblur);
}

void ReleaseCachedObjects(Pblur* pblur) {
  TileBuffer** const cached[] = {&pblur->referenceTags,   &pblur->referenceMatch1,
                                 &pblur->referenceMatch2, &pblur->referenceDepth,
                                 &pblur->mainStreakLayer, &pblur->secondaryStreakLayer,
                                 &pblur->rowScratch};
  for (TileBuffer** field : cached) ReleaseField(field);
  ReleaseMatchIndex(&pblur->search, InitShellSearchHost());
}

}  // namespace qxv
