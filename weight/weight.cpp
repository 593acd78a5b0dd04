#include "weight/weight.h"

#include <new>

#include "host/identifiers.h"
#include "module/counters.h"
#include "module/host_bridge.h"

namespace qxv {
namespace {

const Guid* const kWeightAnswers[] = {&kIID_IUnknown, &kCLSID_Weight, &kIID_I3DExGenericData,
                                      &kIID_I3DExDataExchanger, &kIID_I3DExtension};

Weight* Of(GenericData* self) { return static_cast<Weight*>(self); }

Result QXV_CALL WeightQueryInterface(GenericData* self, const Guid* iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!iid) return E_POINTER;
  for (const Guid* answer : kWeightAnswers) {
    if (SameGuid(*iid, *answer)) *out = self;
  }
  if (*out != self) return E_NOINTERFACE;
  self->ops->AddRef(self);
  return S_OK;
}

std::uint32_t QXV_CALL WeightAddRef(GenericData* self) {
  return static_cast<std::uint32_t>(Of(self)->refCount++);
}

std::uint32_t QXV_CALL WeightRelease(GenericData* self) {
  Weight* weight = Of(self);
  const std::int32_t before = weight->refCount--;
  if (weight->refCount == 0) DestroyWeight(weight);
  return static_cast<std::uint32_t>(before);
}

Result QXV_CALL WeightInitExtension(GenericData*, HostShell* shell) {
  StoreShell(shell);
  return S_OK;
}

// The copy starts from the defaults: the data block is not carried over.
GenericData* QXV_CALL WeightClone(GenericData*) {
  Weight* copy = NewWeight();
  if (copy) copy->ops->AddRef(copy);
  return copy;
}

std::int32_t QXV_CALL WeightReservedQuery(GenericData*) { return 0; }
void* QXV_CALL WeightGetData(GenericData* self) { return &Of(self)->data; }
std::int32_t QXV_CALL WeightApplyData(GenericData*) { return 0; }
Result QXV_CALL WeightHandleEvent(GenericData*, std::int32_t) { return E_NOTIMPL; }
std::int32_t QXV_CALL WeightGetResourceId(GenericData*) { return kWeightResourceId; }

constexpr GenericDataOps kWeightOps = {
    WeightQueryInterface, WeightAddRef,   WeightRelease,   WeightInitExtension,
    WeightClone,          WeightReservedQuery, WeightGetData, WeightApplyData,
    WeightHandleEvent,    WeightGetResourceId,
};

}  // namespace

Weight* NewWeight() {
  void* memory = Allocate(sizeof(Weight));
  if (!memory) return nullptr;
  Weight* weight = new (memory) Weight{{&kWeightOps}, 0, {5.0f, 5.0f, 1, {0, 0, 0}}};
  ++liveObjects;
  return weight;
}

void DestroyWeight(Weight* weight) {
  --liveObjects;
  Free(weight);
}

}  // namespace qxv
