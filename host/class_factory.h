// IClassFactory: what DllGetClassObject hands out, one fresh factory per call
// for either of the module's classes.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/unknown.h"

namespace qxv {

struct ClassFactory;

struct ClassFactoryOps {
  // 0: IUnknown and IClassFactory give the factory itself with one more
  // reference and S_OK; anything else E_NOINTERFACE. *out is null on failure;
  // a null out pointer gives E_POINTER.
  Result(QXV_CALL* QueryInterface)(ClassFactory* self, const Guid* iid, void** out);
  // 1, 2: return the count after the change; the last Release frees the
  // factory through the host's allocator.
  std::uint32_t(QXV_CALL* AddRef)(ClassFactory* self);
  std::uint32_t(QXV_CALL* Release)(ClassFactory* self);
  // 3: a new object of the factory's class with one reference, written to
  // *out (null on every failure). With an outer object only IUnknown is
  // accepted (E_NOINTERFACE otherwise) and the object is not aggregated.
  // The Pblur factory accepts IUnknown and I3DExPostRenderer only; the
  // Weight factory passes any identifier on to the new object's
  // QueryInterface, whose failure it returns after destroying the object.
  // E_OUTOFMEMORY when the host gives no memory. The caller releases.
  Result(QXV_CALL* CreateInstance)(ClassFactory* self, Unknown* outer, const Guid* iid,
                                   void** out);
  // 4: non-zero locks the module in memory, zero unlocks (no floor); S_OK.
  Result(QXV_CALL* LockServer)(ClassFactory* self, std::int32_t lock);
};
QXV_SLOT(ClassFactoryOps, QueryInterface, 0);
QXV_SLOT(ClassFactoryOps, AddRef, 1);
QXV_SLOT(ClassFactoryOps, Release, 2);
QXV_SLOT(ClassFactoryOps, CreateInstance, 3);
QXV_SLOT(ClassFactoryOps, LockServer, 4);

struct ClassFactory {
  const ClassFactoryOps* ops;
};

}  // namespace qxv
