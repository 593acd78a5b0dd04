// One way to walk a host buffer's tiles: take the next tile, read its
// rectangle, lock it, hand its memory and its rows (bounded by the buffer's
// size and by the rectangle) to the visitor, unlock it. A tile's memory has
// rows as long as its rectangle is wide: a host may cut the tiles at the
// right and bottom edges to the buffer, and their memory with them.
// Everything here is trivially destructible and holds nothing of its own:
// a host failure raised inside a visit passes through to the caller's
// protected block, which releases the iterator it keeps in its state record
// (the failure path leaves the tile locked).
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/rect.h"
#include "host/tile_iterator.h"
#include "module/held.h"

namespace qxv {

// Every tile iterator is opened over this region.
inline constexpr Rect16 kWholeRegion = {0, 0, 32000, 32000};

// How far a tile's rows and columns reach and how its memory is laid out.
struct WalkLimits {
  // The buffer's size: no row or column at or past it is visited.
  std::uint32_t width = 0xFFFFFFFFu, height = 0xFFFFFFFFu;
  // The nominal tile size, how far a tile's rows and columns reach from its
  // top left; 0 takes the tile rectangle's own width and height. Either way
  // nothing outside the rectangle is visited.
  std::uint32_t tileWidth = 0, tileHeight = 0;
  // False when the visitor reads through the cursor only: the tile's memory
  // is then not asked for.
  bool memory = true;
};

// One tile of a walk, locked while the visitor works on it.
struct WalkedTile {
  std::uint32_t id;
  Rect16 rect;
  std::int32_t top, left;
  // Rows y from top while (uint32)y < rowEnd; columns likewise: the host's
  // 16-bit positions compared as unsigned 32-bit, so a tile that starts at a
  // negative position has nothing to visit.
  std::uint32_t rowEnd, columnEnd;
  std::ptrdiff_t stride;   // elements per row of memory: the rectangle's width
  std::uint32_t* memory;   // null when the host gave none or it was not asked for

  std::uint32_t* Row(std::int32_t y) const { return memory + (y - top) * stride; }
};

// The default steps around a visit: nothing once the tile is taken, nothing
// before the lock, nothing after the unlock.
struct TileVisitor {
  void Taken(std::uint32_t) {}
  void Enter(const WalkedTile&) {}
  void Leave(const WalkedTile&) {}
};

// Opens an iterator into *slot (where a failure path finds it); false when
// the host gave none.
template <typename Tiled>
bool OpenTiles(Tiled* buffer, TileIterator** slot) {
  *slot = buffer->ops->NewTileIterator(buffer, &kWholeRegion);
  return *slot != nullptr;
}

inline bool NextTileId(TileIterator* tiles, std::uint32_t* id) {
  return tiles->ops->NextTile(tiles, 1, id, nullptr) == 0;
}

// Opens an iterator in *slot, takes one tile id and releases the iterator.
// False when the buffer has no tile.
template <typename Tiled>
bool TakeFirstTile(Tiled* buffer, TileIterator** slot, std::uint32_t* tile) {
  if (!OpenTiles(buffer, slot)) return false;
  const bool taken = NextTileId(*slot, tile);
  ReleaseField(slot);
  return taken;
}

inline std::uint32_t RectSpan(std::int16_t from, std::int16_t to) {
  return to > from ? static_cast<std::uint32_t>(to - from) : 0u;
}

// Where a tile's rows or columns end: `span` on from its start, never past
// the rectangle's end nor the buffer's size, compared as unsigned 32-bit.
inline std::uint32_t SpanEnd(std::int16_t from, std::int16_t to, std::uint32_t span,
                             std::uint32_t size) {
  std::uint32_t end = static_cast<std::uint32_t>(static_cast<std::int32_t>(from)) + span;
  const std::uint32_t rectEnd = to > 0 ? static_cast<std::uint32_t>(to) : 0u;
  if (rectEnd < end) end = rectEnd;
  return end < size ? end : size;
}

// Visits one tile: its rectangle is read into *rectBlock (a block of the
// host's, as the protocol asks), then visitor.Enter, lock, visitor.Visit with
// the memory, unlock, visitor.Leave.
template <typename Tiled, typename Visitor>
void VisitTile(Tiled* buffer, std::uint32_t id, Rect16* rectBlock, const WalkLimits& limits,
               Visitor& visitor) {
  buffer->ops->GetTileRect(buffer, id, rectBlock);
  WalkedTile tile;
  tile.id = id;
  tile.rect = *rectBlock;
  tile.top = tile.rect.top;
  tile.left = tile.rect.left;
  const std::uint32_t rectHeight = RectSpan(tile.rect.top, tile.rect.bottom);
  const std::uint32_t rectWidth = RectSpan(tile.rect.left, tile.rect.right);
  tile.rowEnd = SpanEnd(tile.rect.top, tile.rect.bottom,
                        limits.tileHeight != 0 ? limits.tileHeight : rectHeight, limits.height);
  tile.columnEnd = SpanEnd(tile.rect.left, tile.rect.right,
                           limits.tileWidth != 0 ? limits.tileWidth : rectWidth, limits.width);
  tile.stride = static_cast<std::ptrdiff_t>(rectWidth);
  visitor.Enter(tile);
  buffer->ops->LockTile(buffer, id);
  tile.memory = limits.memory ? buffer->ops->GetTileData(buffer, id) : nullptr;
  visitor.Visit(tile);
  buffer->ops->UnlockTile(buffer, id);
  visitor.Leave(tile);
}

// Visits every further tile the open iterator gives; visitor.Taken runs as
// soon as a tile is taken, before its rectangle is read.
template <typename Tiled, typename Visitor>
void WalkTiles(Tiled* buffer, TileIterator* tiles, Rect16* rectBlock, const WalkLimits& limits,
               Visitor& visitor) {
  std::uint32_t id = 0;
  while (NextTileId(tiles, &id)) {
    visitor.Taken(id);
    VisitTile(buffer, id, rectBlock, limits, visitor);
  }
}

// The pixel at (x, y) of a host buffer or image, through its cursor.
template <typename Tiled>
std::uint32_t ReadAtCursor(Tiled* buffer, std::int32_t x, std::int32_t y) {
  std::uint32_t value = 0;
  buffer->ops->SeekPixel(buffer, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  buffer->ops->ReadPixel(buffer, &value);
  return value;
}

// Rect32 -> Rect16 keeping the low 16 bits of each value.
inline Rect16 ToRect16(const Rect32& r) {
  return {static_cast<std::int16_t>(static_cast<std::uint16_t>(r.top)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.left)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.bottom)),
          static_cast<std::int16_t>(static_cast<std::uint16_t>(r.right))};
}
inline Rect32 ToRect32(const Rect16& r) { return {r.top, r.left, r.bottom, r.right}; }

}  // namespace qxv
