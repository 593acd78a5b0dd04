// The two simulated buffer kinds share one storage class and one set of
// operations, written once here over the interface they are seen through.
#pragma once
#include <cstdint>
#include <new>

#include "host/identifiers.h"
#include "host/tile_buffer.h"
#include "host/tiled_image.h"
#include "sim/host.h"
#include "sim/memory_ledger.h"
#include "sim/object_registry.h"
#include "sim/tile_store.h"

namespace qxv::sim {

template <typename Face>
struct TileObject {
  Face face;  // first, so the interface pointer is the object's address
  ObjectHeader header;
};

template <typename Face>
inline TileObject<Face>* ObjectOf(Face* self) {
  return reinterpret_cast<TileObject<Face>*>(self);
}
template <typename Face>
inline TileStore& StoreOf(Face* self) {
  return *ObjectOf(self)->header.tiles;
}

// A new TileIterator (one reference) over the given tiles of `owner`, on which
// it keeps a reference while it lives.
TileIterator* NewIteratorObject(void* owner, ObjectHeader* ownerHeader, const TileStore& store,
                                const Rect16& region);

// Uninitialised (0 x 0) objects with one reference.
TileBuffer* MakeTileBufferObject();
TiledImage* MakeTiledImageObject();

template <typename Face>
const Guid& OwnInterface();
template <>
inline const Guid& OwnInterface<TileBuffer>() {
  return kIID_TileBuffer;
}
template <>
inline const Guid& OwnInterface<TiledImage>() {
  return kIID_TiledImage;
}

template <typename Face>
struct TileOps {
  static void Destroy(void* face) {
    TileObject<Face>* object = static_cast<TileObject<Face>*>(face);
    UnregisterObject(face);
    delete object->header.tiles;
    delete object;
  }

  static Face* Make(decltype(Face::ops) table) {
    TileObject<Face>* object = new TileObject<Face>{{table}, {1, 0, &Destroy, new TileStore}};
    RegisterObject(object, &object->header);
    return &object->face;
  }

  static Result QXV_CALL QueryInterface(Face* self, const Guid* iid, void** out) {
    EnterHostCall(HostOp::kQueryInterface);
    if (!out || !iid) {
      NoteBadAccess();
      if (out) *out = nullptr;
      return E_POINTER;
    }
    if (SameGuid(*iid, kIID_IUnknown) || SameGuid(*iid, OwnInterface<Face>())) {
      Retain(&ObjectOf(self)->header);
      *out = self;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  // Initialize and InitializeImage: one tile covering the object. A host
  // that cannot hold the storage (out of memory, or past the cap on what the
  // module may take) leaves the object empty and raises E_OUTOFMEMORY, or
  // returns it.
  static Result SizeAsOneTile(Face* self, std::uint32_t width, std::uint32_t height,
                              std::uint32_t pixelDepth, std::uint32_t formatTag,
                              std::uint32_t optionTag) {
    TileStore& store = StoreOf(self);
    bool fits = false;
    bool held = true;
    try {
      fits = store.Reset(width, height, width, height, pixelDepth, formatTag, optionTag);
    } catch (const std::bad_alloc&) {
      held = false;
    }
    if (held && StorageWithinCap(self)) return fits ? S_OK : E_INVALIDARG;
    store.Reset(0, 0, 0, 0, pixelDepth, formatTag, optionTag);
    if (CurrentStorageRefusal() == StorageRefusal::kEmpty) return E_OUTOFMEMORY;
    RaiseFailure(E_OUTOFMEMORY, 0);
  }

  static std::uint32_t QXV_CALL AddRef(Face* self) {
    EnterHostCall(HostOp::kAddRef);
    return Retain(&ObjectOf(self)->header);
  }

  static std::uint32_t QXV_CALL Release(Face* self) {
    EnterHostCall(HostOp::kRelease);
    return Drop(self, &ObjectOf(self)->header);
  }

  static Result QXV_CALL GetInfo(Face* self, std::uint32_t* width, std::uint32_t* height,
                                 std::uint32_t* bitsPerPixel, std::uint32_t* formatTag,
                                 std::uint32_t* optionTag) {
    EnterHostCall(HostOp::kGetInfo);
    const TileStore& s = StoreOf(self);
    if (width) *width = s.reportedWidth();
    if (height) *height = s.reportedHeight();
    if (bitsPerPixel) *bitsPerPixel = s.pixelDepth();
    if (formatTag) *formatTag = s.formatTag();
    if (optionTag) *optionTag = s.optionTag();
    return S_OK;
  }

  static Result QXV_CALL GetTileGeometry(Face* self, std::uint32_t* tileWidth,
                                         std::uint32_t* tileHeight, std::uint32_t* reserved,
                                         std::uint32_t* pixelDepth) {
    EnterHostCall(HostOp::kGetTileGeometry);
    const TileStore& s = StoreOf(self);
    if (tileWidth) *tileWidth = s.tileWidth();
    if (tileHeight) *tileHeight = s.tileHeight();
    if (reserved) *reserved = 0;
    if (pixelDepth) *pixelDepth = s.pixelDepth();
    return S_OK;
  }

  static TileIterator* QXV_CALL NewTileIterator(Face* self, const Rect16* region) {
    EnterHostCall(HostOp::kNewTileIterator);
    if (!region) {
      NoteBadAccess();
      return nullptr;
    }
    return NewIteratorObject(self, &ObjectOf(self)->header, StoreOf(self), *region);
  }

  static Result QXV_CALL LockTile(Face* self, std::uint32_t tileId) {
    EnterHostCall(HostOp::kLockTile);
    TileStore& s = StoreOf(self);
    std::uint32_t index = 0;
    if (!s.TileOfId(tileId, &index)) {
      NoteBadAccess();
      return E_INVALIDARG;
    }
    ++s.LockCount(index);
    return S_OK;
  }

  static Result QXV_CALL UnlockTile(Face* self, std::uint32_t tileId) {
    EnterHostCall(HostOp::kUnlockTile);
    TileStore& s = StoreOf(self);
    std::uint32_t index = 0;
    if (!s.TileOfId(tileId, &index) || s.LockCount(index) <= 0) {
      NoteBadAccess();
      return E_FAIL;
    }
    --s.LockCount(index);
    return S_OK;
  }

  // An unlocked tile is still handed out, so one misuse does not end a test
  // in a crash; the misuse counter tells.
  static std::uint32_t* QXV_CALL GetTileData(Face* self, std::uint32_t tileId) {
    EnterHostCall(HostOp::kGetTileData);
    TileStore& s = StoreOf(self);
    std::uint32_t index = 0;
    if (!s.TileOfId(tileId, &index)) {
      NoteBadAccess();
      return nullptr;
    }
    if (s.LockCount(index) <= 0) NoteBadAccess();
    return s.TileMemory(index);
  }

  static Result QXV_CALL GetTileRect(Face* self, std::uint32_t tileId, Rect16* rect) {
    EnterHostCall(HostOp::kGetTileRect);
    const TileStore& s = StoreOf(self);
    std::uint32_t index = 0;
    if (!rect || !s.TileOfId(tileId, &index)) {
      NoteBadAccess();
      return E_INVALIDARG;
    }
    const Rect32 r = s.TileRect(index);
    rect->top = static_cast<std::int16_t>(r.top);
    rect->left = static_cast<std::int16_t>(r.left);
    rect->bottom = static_cast<std::int16_t>(r.bottom);
    rect->right = static_cast<std::int16_t>(r.right);
    return S_OK;
  }

  static Result QXV_CALL SeekPixel(Face* self, std::int16_t x, std::int16_t y) {
    EnterHostCall(HostOp::kSeekPixel);
    StoreOf(self).SeekCursor(x, y);
    return S_OK;
  }

  static Result QXV_CALL NextPixel(Face* self) {
    EnterHostCall(HostOp::kNextPixel);
    StoreOf(self).AdvanceCursor();
    return S_OK;
  }

  static Result QXV_CALL ReadPixel(Face* self, std::uint32_t* value) {
    EnterHostCall(HostOp::kReadPixel);
    const std::uint32_t* element = StoreOf(self).CursorElement();
    if (!value || !element) {
      NoteBadAccess();
      if (value) *value = 0;
      return E_FAIL;
    }
    *value = *element;
    return S_OK;
  }
};

}  // namespace qxv::sim
