// Tile iterators: the tile list is fixed when the iterator is made, and the
// iterator keeps its buffer alive until it dies.
#include <vector>

#include "host/identifiers.h"
#include "host/tile_iterator.h"
#include "sim/host.h"
#include "sim/object_registry.h"
#include "sim/tile_objects.h"

namespace qxv::sim {
namespace {

struct IteratorObject {
  TileIterator face;  // first, so the interface pointer is the object's address
  ObjectHeader header;
  void* owner;
  ObjectHeader* ownerHeader;
  std::vector<std::uint32_t>* ids;
  std::size_t next;
};

IteratorObject* ObjectOfIterator(TileIterator* self) {
  return reinterpret_cast<IteratorObject*>(self);
}

void DestroyIterator(void* face) {
  IteratorObject* object = static_cast<IteratorObject*>(face);
  UnregisterObject(face);
  Drop(object->owner, object->ownerHeader);
  delete object->ids;
  delete object;
}

Result QXV_CALL QueryInterface(TileIterator* self, const Guid* iid, void** out) {
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
  Retain(&ObjectOfIterator(self)->header);
  *out = self;
  return S_OK;
}

std::uint32_t QXV_CALL AddRef(TileIterator* self) {
  EnterHostCall(HostOp::kAddRef);
  return Retain(&ObjectOfIterator(self)->header);
}

std::uint32_t QXV_CALL Release(TileIterator* self) {
  EnterHostCall(HostOp::kRelease);
  return Drop(self, &ObjectOfIterator(self)->header);
}

// Hands out one tile per call, whatever count asks for: callers ask for 1.
std::int32_t QXV_CALL NextTile(TileIterator* self, std::int32_t count, std::uint32_t* tileId,
                               void* reserved) {
  EnterHostCall(HostOp::kNextTile);
  IteratorObject* object = ObjectOfIterator(self);
  if (!tileId) {
    NoteBadAccess();
    return 1;
  }
  if (count < 1 || object->next >= object->ids->size()) return 1;
  *tileId = (*object->ids)[object->next++];
  return 0;
}

const TileIteratorOps kTileIteratorOps = {QueryInterface, AddRef, Release, NextTile};

}  // namespace

TileIterator* NewIteratorObject(void* owner, ObjectHeader* ownerHeader, const TileStore& store,
                                const Rect16& region) {
  std::vector<std::uint32_t>* ids = new std::vector<std::uint32_t>;
  for (std::uint32_t index = 0; index < store.TileCount(); ++index) {
    if (store.Meets(index, region)) ids->push_back(store.IdOfTile(index));
  }
  Retain(ownerHeader);
  IteratorObject* object = new IteratorObject{
      {&kTileIteratorOps}, {1, 0, &DestroyIterator, nullptr}, owner, ownerHeader, ids, 0};
  RegisterObject(object, &object->header);
  return &object->face;
}

}  // namespace qxv::sim
