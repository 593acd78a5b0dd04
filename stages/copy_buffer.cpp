#include "stages/copy_buffer.h"

#include <algorithm>
#include <cstddef>

#include "blur/pass_objects.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"

namespace qxv {
namespace {

struct BufferShape {
  std::uint32_t tileWidth, tileHeight, reserved, depth;
  std::uint32_t width, height, bitsPerPixel, formatTag, optionTag;
  bool SingleTile() const { return width == tileWidth && height == tileHeight; }
};

struct Copy {
  TileBuffer* source;
  TileBuffer* destination;
  Rect16* sourceRect;
  Rect16* destinationRect;
  TileIterator* sourceTiles;
  TileIterator* destinationTiles;
  bool allocated;
};

void ReadShape(TileBuffer* b, BufferShape* s) {
  b->ops->GetTileGeometry(b, &s->tileWidth, &s->tileHeight, &s->reserved, &s->depth);
  b->ops->GetInfo(b, &s->width, &s->height, &s->bitsPerPixel, &s->formatTag, &s->optionTag);
}

bool NextTile(TileIterator* it, std::uint32_t* tile) {
  return it->ops->NextTile(it, 1, tile, nullptr) == 0;
}

// The source is one tile: every destination tile is filled through the
// source's cursor.
void CopyFromSingleTile(Copy* c, const BufferShape& src, std::uint32_t sourceTile,
                        std::uint32_t destinationTile) {
  TileBuffer* s = c->source;
  TileBuffer* d = c->destination;
  s->ops->GetTileRect(s, sourceTile, c->sourceRect);
  s->ops->LockTile(s, sourceTile);
  bool more = true;
  for (std::uint32_t tile = destinationTile; more; more = NextTile(c->destinationTiles, &tile)) {
    d->ops->GetTileRect(d, tile, c->destinationRect);
    const Rect16 r = *c->destinationRect;
    d->ops->LockTile(d, tile);
    std::uint32_t* memory = d->ops->GetTileData(d, tile);
    const std::ptrdiff_t rowLength = r.right - r.left;
    for (std::int32_t y = r.top; memory && y < r.bottom && static_cast<std::uint32_t>(y) < src.height;
         ++y) {
      std::uint32_t* row = memory + rowLength * (y - r.top);
      s->ops->SeekPixel(s, r.left, static_cast<std::int16_t>(y));
      for (std::int32_t x = r.left; x < r.right && static_cast<std::uint32_t>(x) < src.width; ++x) {
        s->ops->ReadPixel(s, &row[x - r.left]);
        s->ops->NextPixel(s);
      }
    }
    d->ops->UnlockTile(d, tile);
  }
  s->ops->UnlockTile(s, sourceTile);
}

// The destination is one tile: each source tile lands at its own position.
// Rows and columns are bounded by the smaller of the two sizes, so a smaller
// destination is never written past its own rows.
void CopyIntoSingleTile(Copy* c, const BufferShape& src, const BufferShape& dst,
                        std::uint32_t sourceTile, std::uint32_t destinationTile) {
  TileBuffer* s = c->source;
  TileBuffer* d = c->destination;
  d->ops->GetTileRect(d, destinationTile, c->destinationRect);
  d->ops->LockTile(d, destinationTile);
  std::uint32_t* memory = d->ops->GetTileData(d, destinationTile);
  const std::uint32_t columns = std::min(src.width, dst.width);
  const std::uint32_t rows = std::min(src.height, dst.height);
  bool more = true;
  for (std::uint32_t tile = sourceTile; more; more = NextTile(c->sourceTiles, &tile)) {
    s->ops->GetTileRect(s, tile, c->sourceRect);
    const Rect16 r = *c->sourceRect;
    s->ops->LockTile(s, tile);
    for (std::int32_t y = r.top; memory && y < r.bottom && static_cast<std::uint32_t>(y) < rows;
         ++y) {
      std::uint32_t* at = memory + static_cast<std::ptrdiff_t>(y) * dst.width + r.left;
      s->ops->SeekPixel(s, r.left, static_cast<std::int16_t>(y));
      for (std::int32_t x = r.left; x < r.right && static_cast<std::uint32_t>(x) < columns; ++x) {
        s->ops->ReadPixel(s, at++);
        s->ops->NextPixel(s);
      }
    }
    s->ops->UnlockTile(s, tile);
  }
  d->ops->UnlockTile(d, destinationTile);
}

void CopyBody(Copy* c) {
  c->sourceRect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  c->destinationRect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!c->sourceRect || !c->destinationRect) return;
  c->allocated = true;
  BufferShape src = {}, dst = {};
  ReadShape(c->source, &src);
  ReadShape(c->destination, &dst);
  if (src.depth == 32) {
    c->destinationTiles = c->destination->ops->NewTileIterator(c->destination, &kWholeRegion);
    c->sourceTiles = c->source->ops->NewTileIterator(c->source, &kWholeRegion);
    std::uint32_t destinationTile = 0, sourceTile = 0;
    if (c->destinationTiles && c->sourceTiles && NextTile(c->destinationTiles, &destinationTile) &&
        NextTile(c->sourceTiles, &sourceTile)) {
      if (src.SingleTile()) {
        CopyFromSingleTile(c, src, sourceTile, destinationTile);
      } else if (dst.SingleTile()) {
        CopyIntoSingleTile(c, src, dst, sourceTile, destinationTile);
      }
    }
  }
}

void ReleaseCopy(Copy* c) {
  ReleaseField(&c->sourceTiles);
  ReleaseField(&c->destinationTiles);
  FreeField(&c->sourceRect);
  FreeField(&c->destinationRect);
}

void CopyAndRelease(Copy* c) {
  CopyBody(c);
  ReleaseCopy(c);
}

}  // namespace

bool CopyBuffer(TileBuffer* source, TileBuffer* destination) {
  Copy c = {};
  c.source = source;
  c.destination = destination;
  Protected<Copy, CopyAndRelease, ReleaseCopy>(&c);
  return c.allocated;
}

}  // namespace qxv
