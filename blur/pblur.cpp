#include "blur/pblur.h"

#include <new>

#include "blur/post_render.h"
#include "host/buffer_set.h"
#include "host/identifiers.h"
#include "kernel/match_search.h"
#include "module/counters.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/message_box.h"

namespace qxv {
namespace {

const Guid* const kPblurAnswers[] = {&kIID_IUnknown, &kIID_I3DExPostRenderer,
                                     &kIID_I3DExDataExchanger, &kIID_I3DExtension};

Result QXV_CALL PblurQueryInterface(Pblur* self, const Guid* iid, void** out) {
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

std::uint32_t QXV_CALL PblurAddRef(Pblur* self) {
  return static_cast<std::uint32_t>(self->refCount++);
}

std::uint32_t QXV_CALL PblurRelease(Pblur* self) {
  const std::int32_t before = self->refCount--;
  if (self->refCount == 0) DestroyPblur(self);
  return static_cast<std::uint32_t>(before);
}

// The pass uses the shell DllInitRDCom handed over; this one is not kept.
Result QXV_CALL PblurInitExtension(Pblur*, HostShell*) { return S_OK; }

// The copy starts from the defaults: parameters are not carried over.
Pblur* QXV_CALL PblurClone(Pblur*) {
  Pblur* copy = NewPblur();
  if (copy) copy->ops->AddRef(copy);
  return copy;
}

std::int32_t QXV_CALL PblurReservedQuery(Pblur*) { return 0; }
void* QXV_CALL PblurGetData(Pblur* self) { return &self->parameters; }

std::int32_t QXV_CALL PblurApplyData(Pblur* self) {
  ApplyCommand(self->parameters);
  return 0;
}

Result QXV_CALL PblurHandleEvent(Pblur* self, std::int32_t code) {
  const std::uint32_t value = static_cast<std::uint32_t>(code);
  char text[5] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                  static_cast<char>(value >> 8), static_cast<char>(value), 0};
  ShowMessageBox(text, kMessageCaption, kMessageBoxSystemModal);
  ReleaseCachedObjects(self);
  return S_OK;
}

std::int32_t QXV_CALL PblurGetResourceId(Pblur*) { return kPblurResourceId; }

Result QXV_CALL PblurPostRender(Pblur* self, SceneObjectList* scene, TiledImage* image,
                                BufferSet buffers, RenderView* view, void*, void*) {
  return PostRender(self, scene, image, buffers, view);
}

Result QXV_CALL PblurGetNeededBuffers(Pblur* self, std::uint32_t* mask, void*) {
  if (!mask) return E_POINTER;
  *mask = NeededBuffers(self->parameters);
  return S_OK;
}

// Constant-initialised: no code of the module may run while the host loads it.
constexpr PblurOps kPblurOps = {
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
  pblur->objectBox = kNoBox;
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
  ReleaseMatchIndex(pblur);
}

}  // namespace qxv
