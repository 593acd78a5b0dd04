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
  // 4: the image's width, height, bitsPerPixel, formatTag and optionTag.
  Result(QXV_CALL* GetInfo)(TiledImage* self, std::uint32_t* width, std::uint32_t* height,
                            std::uint32_t* bitsPerPixel, std::uint32_t* formatTag,
                            std::uint32_t* optionTag);
  // 5: the nominal tile size (also the row stride of tile memory) and the
  // pixel depth; 32 means 32-bit pixels, red 16-23, green 8-15, blue 0-7.
  Result(QXV_CALL* GetTileGeometry)(TiledImage* self, std::uint32_t* tileWidth,
                                    std::uint32_t* tileHeight, std::uint32_t* reserved,
                                    std::uint32_t* pixelDepth);
  // 6: a new iterator over every tile meeting the region (always 0, 0,
  // 32000, 32000), with one reference the caller releases.
  TileIterator*(QXV_CALL* NewTileIterator)(TiledImage* self, const Rect16* region);
  // 7, 8: a tile's memory stays put from its lock to its unlock. The pass
  // unlocks every tile it locked before it returns, except when a failure
  // passes through it (the host takes the tiles back with the objects).
  Result(QXV_CALL* LockTile)(TiledImage* self, std::uint32_t tileId);
  Result(QXV_CALL* UnlockTile)(TiledImage* self, std::uint32_t tileId);
  // 9: the first element of a locked tile; rows of tileWidth elements.
  std::uint32_t*(QXV_CALL* GetTileData)(TiledImage* self, std::uint32_t tileId);
  // 10: the tile's rectangle (bottom and right exclusive).
  Result(QXV_CALL* GetTileRect)(TiledImage* self, std::uint32_t tileId, Rect16* rect);
  // 11: one tile covering the whole image, all elements 0.
  Result(QXV_CALL* InitializeImage)(TiledImage* self, std::uint32_t width, std::uint32_t height,
                                    std::uint32_t pixelDepth);
  UnusedSlot unused12to15[4];
  // 16: the pixel cursor at (x, y); 16-bit values in 32-bit slots.
  Result(QXV_CALL* SeekPixel)(TiledImage* self, std::int16_t x, std::int16_t y);
  // 17: the cursor one pixel to the right.
  Result(QXV_CALL* NextPixel)(TiledImage* self);
  UnusedSlot unused18to21[4];
  // 22: the pixel at the cursor; the cursor stays.
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
