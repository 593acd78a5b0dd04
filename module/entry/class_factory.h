// The module's two class factories, PblurClassFactory and WeightClassFactory:
// the only code that knows both classes.
#pragma once
#include <cstdint>

#include "host/class_factory.h"

namespace qxv {

// A factory object: the table, then its reference count and nothing else.
struct FactoryObject : ClassFactory {
  std::int32_t refCount;
};

// The factory table of the class, or null for a class the module does not serve.
const ClassFactoryOps* FactoryOpsFor(const Guid& clsid);
// A new factory from host memory with count 0, or null.
ClassFactory* NewClassFactory(const ClassFactoryOps* ops);

}  // namespace qxv
