// The class factories of Pblur and Weight: an operation table, then a
// reference count, nothing else.
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
  Result(QXV_CALL* QueryInterface)(ClassFactory* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(ClassFactory* self);
  std::uint32_t(QXV_CALL* Release)(ClassFactory* self);
  Result(QXV_CALL* CreateInstance)(ClassFactory* self, Unknown* outer, const Guid* iid,
                                   void** out);
  Result(QXV_CALL* LockServer)(ClassFactory* self, std::int32_t lock);
};
QXV_SLOT(ClassFactoryOps, QueryInterface, 0);
QXV_SLOT(ClassFactoryOps, AddRef, 1);
QXV_SLOT(ClassFactoryOps, Release, 2);
QXV_SLOT(ClassFactoryOps, CreateInstance, 3);
QXV_SLOT(ClassFactoryOps, LockServer, 4);

struct ClassFactory {
  const ClassFactoryOps* ops;
  std::int32_t refCount;
};

// The factory table of the class, or null for a class the module does not serve.
const ClassFactoryOps* FactoryOpsFor(const Guid& clsid);
// A new factory from host memory with count 0, or null.
ClassFactory* NewClassFactory(const ClassFactoryOps* ops);

}  // namespace qxv
