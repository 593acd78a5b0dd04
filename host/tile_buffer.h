// TileBuffer: a per-pixel buffer of 32-bit elements, host-owned or made by
// the module with CreateHostObject.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/rect.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/tile_iterator.h"

namespace qxv {

struct TileBuffer;

struct TileBufferOps {
  Result(QXV_CALL* QueryInterface)(TileBuffer* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(TileBuffer* self);
  std::uint32_t(QXV_CALL* Release)(TileBuffer* self);
  // 3: one tile covering the whole buffer, all elements 0.
  Result(QXV_CALL* Initialize)(TileBuffer* self, std::uint32_t width, std::uint32_t height,
                               std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                               std::uint32_t optionTag);
  // 4: the five values Initialize accepts.
  Result(QXV_CALL* GetInfo)(TileBuffer* self, std::uint32_t* width, std::uint32_t* height,
                            std::uint32_t* bitsPerPixel, std::uint32_t* formatTag,
                            std::uint32_t* optionTag);
  // 5: nominal tile size; pixelDepth 32 means 32-bit elements.
  Result(QXV_CALL* GetTileGeometry)(TileBuffer* self, std::uint32_t* tileWidth,
                                    std::uint32_t* tileHeight, std::uint32_t* reserved,
                                    std::uint32_t* pixelDepth);
  // 6: a new iterator over every tile meeting the region (always 0, 0,
  // 32000, 32000), with one reference the caller releases.
  TileIterator*(QXV_CALL* NewTileIterator)(TileBuffer* self, const Rect16* region);
  // 7, 8: a tile's memory stays put from its lock to its unlock.
  Result(QXV_CALL* LockTile)(TileBuffer* self, std::uint32_t tileId);
  Result(QXV_CALL* UnlockTile)(TileBuffer* self, std::uint32_t tileId);
  // 9: first element of a locked tile; rows of the nominal tile width follow
  // each other (one tile covering the buffer: width elements per row).
  std::uint32_t*(QXV_CALL* GetTileData)(TileBuffer* self, std::uint32_t tileId);
  // 10: the tile's rectangle (bottom and right exclusive).
  Result(QXV_CALL* GetTileRect)(TileBuffer* self, std::uint32_t tileId, Rect16* rect);
  UnusedSlot unused11to14[4];
  // 15: cursor at (x, y); 16-bit values in 32-bit slots.
  Result(QXV_CALL* SeekPixel)(TileBuffer* self, std::int16_t x, std::int16_t y);
  // 16: cursor one pixel to the right.
  Result(QXV_CALL* NextPixel)(TileBuffer* self);
  UnusedSlot unused17to19[3];
  // 20: stores at the cursor; the cursor stays.
  Result(QXV_CALL* WritePixel)(TileBuffer* self, const std::uint32_t* value);
  // 21: reads at the cursor.
  Result(QXV_CALL* ReadPixel)(TileBuffer* self, std::uint32_t* value);
  // 22: the value at the cursor.
  std::uint32_t(QXV_CALL* PixelAtCursor)(TileBuffer* self);
};
QXV_SLOT(TileBufferOps, QueryInterface, 0);
QXV_SLOT(TileBufferOps, Release, 2);
QXV_SLOT(TileBufferOps, Initialize, 3);
QXV_SLOT(TileBufferOps, GetInfo, 4);
QXV_SLOT(TileBufferOps, GetTileGeometry, 5);
QXV_SLOT(TileBufferOps, NewTileIterator, 6);
QXV_SLOT(TileBufferOps, LockTile, 7);
QXV_SLOT(TileBufferOps, UnlockTile, 8);
QXV_SLOT(TileBufferOps, GetTileData, 9);
QXV_SLOT(TileBufferOps, GetTileRect, 10);
QXV_SLOT(TileBufferOps, SeekPixel, 15);
QXV_SLOT(TileBufferOps, NextPixel, 16);
QXV_SLOT(TileBufferOps, WritePixel, 20);
QXV_SLOT(TileBufferOps, ReadPixel, 21);
QXV_SLOT(TileBufferOps, PixelAtCursor, 22);

struct TileBuffer {
  const TileBufferOps* ops;
};

}  // namespace qxv
