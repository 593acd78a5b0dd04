#include "module/entry/class_factory.h"

#include <new>

#include "blur/pblur.h"
#include "host/identifiers.h"
#include "module/counters.h"
#include "module/host_bridge.h"
#include "weight/weight.h"

namespace qxv {
namespace {

Result QXV_CALL FactoryQueryInterface(ClassFactory* self, const Guid* iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!iid) return E_POINTER;
  if (SameGuid(*iid, kIID_IUnknown) || SameGuid(*iid, kIID_IClassFactory)) {
    *out = self;
    self->ops->AddRef(self);
    return S_OK;
  }
  return E_NOINTERFACE;
}

FactoryObject* Of(ClassFactory* factory) { return static_cast<FactoryObject*>(factory); }

std::uint32_t QXV_CALL FactoryAddRef(ClassFactory* self) {
  return static_cast<std::uint32_t>(++Of(self)->refCount);
}

std::uint32_t QXV_CALL FactoryRelease(ClassFactory* self) {
  const std::int32_t count = --Of(self)->refCount;
  if (count == 0) Free(self);
  return static_cast<std::uint32_t>(count);
}

Result QXV_CALL FactoryLockServer(ClassFactory*, std::int32_t lock) {
  if (lock != 0) {
    ++serverLocks;
  } else {
    --serverLocks;
  }
  return S_OK;
}

Result QXV_CALL WeightCreateInstance(ClassFactory*, Unknown* outer, const Guid* iid,
                                     void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!iid) return E_POINTER;
  // An outer object is ignored: the new object is never aggregated.
  if (outer && !SameGuid(*iid, kIID_IUnknown)) return E_NOINTERFACE;
  Weight* weight = NewWeight();
  if (!weight) return E_OUTOFMEMORY;
  const Result result = weight->ops->QueryInterface(weight, iid, out);
  if (Failed(result)) DestroyWeight(weight);
  return result;
}

Result QXV_CALL PblurCreateInstance(ClassFactory*, Unknown* outer, const Guid* iid,
                                    void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!iid) return E_POINTER;
  if (outer && !SameGuid(*iid, kIID_IUnknown)) return E_NOINTERFACE;
  if (!SameGuid(*iid, kIID_IUnknown) && !SameGuid(*iid, kIID_I3DExPostRenderer)) {
    return E_NOINTERFACE;
  }
  Pblur* pblur = NewPblur();
  if (!pblur) return E_OUTOFMEMORY;
  // The object answers both identifiers with the same pointer.
  const Result result = pblur->ops->QueryInterface(pblur, &kIID_I3DExPostRenderer, out);
  if (Failed(result)) DestroyPblur(pblur);
  return result;
}

constexpr ClassFactoryOps kPblurFactoryOps = {FactoryQueryInterface, FactoryAddRef,
                                              FactoryRelease, PblurCreateInstance,
                                              FactoryLockServer};
constexpr ClassFactoryOps kWeightFactoryOps = {FactoryQueryInterface, FactoryAddRef,
                                               FactoryRelease, WeightCreateInstance,
                                               FactoryLockServer};

// The classes the module serves, each with its factory's table.
struct FactoryEntry {
  const Guid* clsid;
  const ClassFactoryOps* ops;
};

constexpr FactoryEntry kFactories[] = {
    {&kCLSID_Pblur, &kPblurFactoryOps},
    {&kCLSID_Weight, &kWeightFactoryOps},
};

}  // namespace

const ClassFactoryOps* FactoryOpsFor(const Guid& clsid) {
  for (const FactoryEntry& entry : kFactories) {
    if (SameGuid(clsid, *entry.clsid)) return entry.ops;
  }
  return nullptr;
}

ClassFactory* NewClassFactory(const ClassFactoryOps* ops) {
  void* memory = Allocate(sizeof(FactoryObject));
  if (!memory) return nullptr;
  return new (memory) FactoryObject{{ops}, 0};
}

}  // namespace qxv
