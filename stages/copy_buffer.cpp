#include "stages/copy_buffer.h"

#include <algorithm>
#include <cstddef>

#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"
#include "stages/buffer_shape.h"
#include "stages/tile_walker.h"

namespace qxv {
namespace {

struct Copy {
  TileBuffer* source;
  TileBuffer* destination;
  Rect16* sourceRect;
  Rect16* destinationRect;
  TileIterator* sourceTiles;
  TileIterator* destinationTiles;
  Result result;
};

// One row of the source from (x, y) on, into out: from the source's memory
// where the host gave it, through its cursor otherwise. The bytes are the
// same either way; memory costs no host call.
void CopyRow(TileBuffer* source, const std::uint32_t* sourceRow, std::int16_t x, std::int32_t y,
             std::uint32_t* out, std::size_t count) {
  if (sourceRow) {
    std::copy(sourceRow, sourceRow + count, out);
    return;
  }
  source->ops->SeekPixel(source, x, static_cast<std::int16_t>(y));
  for (std::size_t i = 0; i < count; ++i) {
    source->ops->ReadPixel(source, &out[i]);
    source->ops->NextPixel(source);
  }
}

std::size_t Columns(const WalkedTile& t) {
  const std::uint32_t left = static_cast<std::uint32_t>(t.left);
  return t.columnEnd > left ? t.columnEnd - left : 0u;
}

// The source is one tile covering it: each destination tile is filled row
// by row of its memory.
struct FromSingleTile : TileVisitor {
  TileBuffer* source;
  const std::uint32_t* sourceMemory;
  std::ptrdiff_t sourceStride;
  void Visit(const WalkedTile& t) {
    if (!t.memory) return;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      const std::uint32_t* from =
          sourceMemory ? sourceMemory + y * sourceStride + t.left : nullptr;
      CopyRow(source, from, t.rect.left, y, t.Row(y), Columns(t));
    }
  }
};

// The destination is one tile: each source tile lands at its own position.
// A source tile's rows are as long as its rectangle is wide, which at the
// right-hand edge may be less than the tile width.
struct IntoSingleTile : TileVisitor {
  TileBuffer* source;
  std::uint32_t* destination;
  std::ptrdiff_t destinationStride;
  void Visit(const WalkedTile& t) {
    if (!destination) return;
    for (std::int32_t y = t.top; static_cast<std::uint32_t>(y) < t.rowEnd; ++y) {
      const std::uint32_t* from = t.memory ? t.Row(y) : nullptr;
      std::uint32_t* to = destination + static_cast<std::ptrdiff_t>(y) * destinationStride + t.left;
      CopyRow(source, from, t.rect.left, y, to, Columns(t));
    }
  }
};

// Whether the single tile's rectangle holds the whole buffer from its top
// left: only then is the buffer's pixel (x, y) at y rows of the rectangle's
// width and x elements into its memory.
bool CoversBuffer(const Rect16& r, const BufferShape& shape) {
  return r.top == 0 && r.left == 0 && RectSpan(r.left, r.right) >= shape.width &&
         RectSpan(r.top, r.bottom) >= shape.height;
}

void CopyFromSingleTile(Copy* c, const BufferShape& src, std::uint32_t sourceTile,
                        std::uint32_t destinationTile) {
  TileBuffer* s = c->source;
  s->ops->GetTileRect(s, sourceTile, c->sourceRect);
  s->ops->LockTile(s, sourceTile);
  FromSingleTile visitor;
  visitor.source = s;
  // Where the layout of its memory is not known, the source is read through
  // its cursor.
  visitor.sourceMemory =
      CoversBuffer(*c->sourceRect, src) ? s->ops->GetTileData(s, sourceTile) : nullptr;
  visitor.sourceStride =
      static_cast<std::ptrdiff_t>(RectSpan(c->sourceRect->left, c->sourceRect->right));
  WalkLimits limits;
  limits.width = src.width;
  limits.height = src.height;
  VisitTile(c->destination, destinationTile, c->destinationRect, limits, visitor);
  WalkTiles(c->destination, c->destinationTiles, c->destinationRect, limits, visitor);
  s->ops->UnlockTile(s, sourceTile);
}

// Rows and columns are bounded by the smaller of the two sizes, so a smaller
// destination is never written past its own rows.
void CopyIntoSingleTile(Copy* c, const BufferShape& src, const BufferShape& dst,
                        std::uint32_t sourceTile, std::uint32_t destinationTile) {
  TileBuffer* d = c->destination;
  d->ops->GetTileRect(d, destinationTile, c->destinationRect);
  d->ops->LockTile(d, destinationTile);
  IntoSingleTile visitor;
  visitor.source = c->source;
  visitor.destination = d->ops->GetTileData(d, destinationTile);
  visitor.destinationStride = static_cast<std::ptrdiff_t>(dst.width);
  WalkLimits limits;
  limits.width = std::min(src.width, dst.width);
  limits.height = std::min(src.height, dst.height);
  VisitTile(c->source, sourceTile, c->sourceRect, limits, visitor);
  WalkTiles(c->source, c->sourceTiles, c->sourceRect, limits, visitor);
  d->ops->UnlockTile(d, destinationTile);
}

void CopyBody(Copy* c) {
  c->sourceRect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  c->destinationRect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  if (!c->sourceRect || !c->destinationRect) {
    c->result = E_OUTOFMEMORY;
    return;
  }
  BufferShape src = {}, dst = {};
  ReadShape(c->source, &src);
  ReadShape(c->destination, &dst);
  if (src.pixelDepth != 32) return;
  OpenTiles(c->destination, &c->destinationTiles);
  OpenTiles(c->source, &c->sourceTiles);
  std::uint32_t destinationTile = 0, sourceTile = 0;
  if (c->destinationTiles && c->sourceTiles && NextTileId(c->destinationTiles, &destinationTile) &&
      NextTileId(c->sourceTiles, &sourceTile)) {
    if (src.SingleTile()) {
      CopyFromSingleTile(c, src, sourceTile, destinationTile);
    } else if (dst.SingleTile()) {
      CopyIntoSingleTile(c, src, dst, sourceTile, destinationTile);
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

Result CopyBuffer(TileBuffer* source, TileBuffer* destination) {
  Copy c = {};
  c.source = source;
  c.destination = destination;
  c.result = S_OK;
  Protected<Copy, CopyAndRelease, ReleaseCopy>(&c);
  return c.result;
}

}  // namespace qxv
