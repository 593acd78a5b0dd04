// IUnknown: positions 0 to 2 of every host and module operation table.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/result.h"
#include "host/slot.h"

namespace qxv {

struct Unknown;

struct UnknownOps {
  // Writes a new reference of the interface (or null) to *out.
  Result(QXV_CALL* QueryInterface)(Unknown* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(Unknown* self);
  std::uint32_t(QXV_CALL* Release)(Unknown* self);
};
QXV_SLOT(UnknownOps, QueryInterface, 0);
QXV_SLOT(UnknownOps, AddRef, 1);
QXV_SLOT(UnknownOps, Release, 2);

struct Unknown {
  const UnknownOps* ops;
};

// Every COM-style interface begins with the same three operations, so any
// interface pointer can be queried and released as an Unknown.
template <typename Interface>
inline Unknown* AsUnknown(Interface* p) {
  return reinterpret_cast<Unknown*>(p);
}

// Every interface table has Release at position 2, typed for its own object.
template <typename Interface>
inline void ReleaseInterface(Interface* p) {
  p->ops->Release(p);
}

template <typename Interface>
inline Result QueryAs(Unknown* source, const Guid& iid, Interface** out) {
  return source->ops->QueryInterface(source, &iid, reinterpret_cast<void**>(out));
}

}  // namespace qxv
