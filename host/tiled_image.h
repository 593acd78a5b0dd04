// TiledImage: the rendered image, and the progress icon the pass makes.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/rect.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/tile_iterator.h"

namespace qxv {

struct TiledImage;

struct TiledImageOps {
  Result(QXV_CALL* QueryInterface)(TiledImage* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(TiledImage* self);
  std::uint32_t(QXV_CALL* Release)(TiledImage* self);
  UnusedSlot unused3;
  // 4
  Result(QXV_CALL* GetInfo)(TiledImage* self, std::uint32_t* width, std::uint32_t* height,
                            std::uint32_t* bitsPerPixel, std::uint32_t* formatTag,
                            std::uint32_t* optionTag);
  // 5
  Result(QXV_CALL* GetTileGeometry)(TiledImage* self, std::uint32_t* tileWidth,
                                    std::uint32_t* tileHeight, std::uint32_t* reserved,
                                    std::uint32_t* pixelDepth);
  // 6
  TileIterator*(QXV_CALL* NewTileIterator)(TiledImage* self, const Rect16* region);
  // 7, 8
  Result(QXV_CALL* LockTile)(TiledImage* self, std::uint32_t tileId);
  Result(QXV_CALL* UnlockTile)(TiledImage* self, std::uint32_t tileId);
  // 9: rows of tileWidth elements.
  std::uint32_t*(QXV_CALL* GetTileData)(TiledImage* self, std::uint32_t tileId);
  // 10
  Result(QXV_CALL* GetTileRect)(TiledImage* self, std::uint32_t tileId, Rect16* rect);
  // 11: one tile covering the whole image, all elements 0.
  Result(QXV_CALL* InitializeImage)(TiledImage* self, std::uint32_t width, std::uint32_t height,
                                    std::uint32_t pixelDepth);
  UnusedSlot unused12to15[4];
  // 16
  Result(QXV_CALL* SeekPixel)(TiledImage* self, std::int16_t x, std::int16_t y);
  // 17
  Result(QXV_CALL* NextPixel)(TiledImage* self);
  UnusedSlot unused18to21[4];
  // 22
  Result(QXV_CALL* ReadPixel)(TiledImage* self, std::uint32_t* value);
};
QXV_SLOT(TiledImageOps, Release, 2);
QXV_SLOT(TiledImageOps, GetInfo, 4);
QXV_SLOT(TiledImageOps, GetTileGeometry, 5);
QXV_SLOT(TiledImageOps, NewTileIterator, 6);
QXV_SLOT(TiledImageOps, LockTile, 7);
QXV_SLOT(TiledImageOps, UnlockTile, 8);
QXV_SLOT(TiledImageOps, GetTileData, 9);
QXV_SLOT(TiledImageOps, GetTileRect, 10);
QXV_SLOT(TiledImageOps, InitializeImage, 11);
QXV_SLOT(TiledImageOps, SeekPixel, 16);
QXV_SLOT(TiledImageOps, NextPixel, 17);
QXV_SLOT(TiledImageOps, ReadPixel, 22);

struct TiledImage {
  const TiledImageOps* ops;
};

}  // namespace qxv
