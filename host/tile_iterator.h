// TileIterator: walks the tiles of a TileBuffer or TiledImage.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/result.h"
#include "host/slot.h"

namespace qxv {

struct TileIterator;

struct TileIteratorOps {
  Result(QXV_CALL* QueryInterface)(TileIterator* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(TileIterator* self);
  std::uint32_t(QXV_CALL* Release)(TileIterator* self);
  // 3: called as NextTile(1, &id, null); 0 when it wrote the next tile id,
  // non-zero when no tile is left.
  std::int32_t(QXV_CALL* NextTile)(TileIterator* self, std::int32_t count, std::uint32_t* tileId,
                                   void* reserved);
};
QXV_SLOT(TileIteratorOps, Release, 2);
QXV_SLOT(TileIteratorOps, NextTile, 3);

struct TileIterator {
  const TileIteratorOps* ops;
};

}  // namespace qxv
