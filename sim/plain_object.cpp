// Objects that answer nothing but IUnknown: BufferSet entries of the wrong
// kind, and scene components that are not the module's.
#include "host/identifiers.h"
#include "sim/buffers.h"
#include "sim/host.h"
#include "sim/object_registry.h"
#include "sim/scene.h"

namespace qxv::sim {
namespace {

struct PlainObject {
  Unknown face;  // first, so the interface pointer is the object's address
  ObjectHeader header;
};

PlainObject* ObjectOfPlain(Unknown* self) { return reinterpret_cast<PlainObject*>(self); }

void DestroyPlain(void* face) {
  UnregisterObject(face);
  delete static_cast<PlainObject*>(face);
}

Result QXV_CALL QueryInterface(Unknown* self, const Guid* iid, void** out) {
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
  Retain(&ObjectOfPlain(self)->header);
  *out = self;
  return S_OK;
}

std::uint32_t QXV_CALL AddRef(Unknown* self) {
  EnterHostCall(HostOp::kAddRef);
  return Retain(&ObjectOfPlain(self)->header);
}

std::uint32_t QXV_CALL Release(Unknown* self) {
  EnterHostCall(HostOp::kRelease);
  return Drop(self, &ObjectOfPlain(self)->header);
}

const UnknownOps kPlainOps = {QueryInterface, AddRef, Release};

Unknown* MakePlainObject() {
  PlainObject* object = new PlainObject{{&kPlainOps}, {1, 0, &DestroyPlain, nullptr}};
  RegisterObject(object, &object->header);
  return &object->face;
}

}  // namespace

Unknown* NewOpaqueObject() { return MakePlainObject(); }
Unknown* NewPlainComponent() { return MakePlainObject(); }

}  // namespace qxv::sim
