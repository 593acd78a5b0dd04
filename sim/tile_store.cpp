#include "sim/tile_store.h"

#include <algorithm>
#include <utility>

#include "sim/own_host.h"
#include "sim/tile_memory.h"

namespace qxv::sim {

bool TileStore::Reset(std::uint32_t width, std::uint32_t height, std::uint32_t tileWidth,
                      std::uint32_t tileHeight, std::uint32_t pixelDepth, std::uint32_t formatTag,
                      std::uint32_t optionTag, bool cutEdges) {
  // Sized by the old geometry: before it changes.
  GiveBackTiles();
  if (tileWidth == 0) tileWidth = width;
  if (tileHeight == 0) tileHeight = height;
  // The edge tiles reach past the buffer, and their rectangles too must fit.
  const auto tiled = [](std::uint64_t size, std::uint64_t tile) {
    return tile == 0 ? size : (size + tile - 1) / tile * tile;
  };
  const bool fits = tiled(width, tileWidth) <= kMaxExtent &&
                    tiled(height, tileHeight) <= kMaxExtent && tileWidth <= kMaxExtent &&
                    tileHeight <= kMaxExtent;
  if (!fits) width = height = tileWidth = tileHeight = 0;
  width_ = width;
  height_ = height;
  claimedWidth_ = claimedHeight_ = 0;
  tileWidth_ = tileWidth;
  tileHeight_ = tileHeight;
  pixelDepth_ = pixelDepth;
  formatTag_ = formatTag;
  optionTag_ = optionTag;
  cutEdges_ = cutEdges;

  const bool empty = width == 0 || height == 0 || tileWidth == 0 || tileHeight == 0;
  tilesAcross_ = empty ? 0 : (width + tileWidth - 1) / tileWidth;
  const std::uint32_t tilesDown = empty ? 0 : (height + tileHeight - 1) / tileHeight;
  static std::uint32_t sharedSizings = 0;
  thread_local std::uint32_t ownSizings = 0;
  std::uint32_t& sizings = OnOwnHost() ? ownSizings : sharedSizings;
  idBase_ = 0x100000u * (1u + (sizings++ % 4000u));
  tiles_.resize(static_cast<std::size_t>(tilesAcross_) * tilesDown);
  // Each tile holds exactly its rectangle, so that a read past a cut tile's
  // rows leaves its memory.
  for (std::uint32_t i = 0; i < TileCount(); ++i) {
    const Rect32 r = TileRect(i);
    const std::size_t elements = static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top);
    tiles_[i] = ZeroedTileMemory(elements);
  }
  locks_.assign(tiles_.size(), 0);
  LocateCursor();
  return fits;
}

TileStore::~TileStore() { GiveBackTiles(); }

void TileStore::GiveBackTiles() {
  for (std::uint32_t i = 0; i < TileCount(); ++i) {
    const Rect32 r = TileRect(i);
    GiveBackTileMemory(std::move(tiles_[i]),
                       static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top));
  }
  tiles_.clear();
}

bool TileStore::TileOfId(std::uint32_t id, std::uint32_t* index) const {
  if (id < idBase_ || id - idBase_ >= TileCount()) return false;
  *index = id - idBase_;
  return true;
}

Rect32 TileStore::TileRect(std::uint32_t index) const {
  const std::int32_t left = static_cast<std::int32_t>((index % tilesAcross_) * tileWidth_);
  const std::int32_t top = static_cast<std::int32_t>((index / tilesAcross_) * tileHeight_);
  std::int32_t right = left + static_cast<std::int32_t>(tileWidth_);
  std::int32_t bottom = top + static_cast<std::int32_t>(tileHeight_);
  if (cutEdges_) {
    right = std::min(right, static_cast<std::int32_t>(width_));
    bottom = std::min(bottom, static_cast<std::int32_t>(height_));
  }
  return Rect32{top, left, bottom, right};
}

std::uint32_t TileStore::RowLength(std::uint32_t index) const {
  const Rect32 r = TileRect(index);
  return static_cast<std::uint32_t>(r.right - r.left);
}

bool TileStore::Meets(std::uint32_t index, const Rect16& region) const {
  const Rect32 r = TileRect(index);
  return r.left < region.right && region.left < r.right && r.top < region.bottom &&
         region.top < r.bottom;
}

std::int32_t TileStore::LockedTileCount() const {
  return static_cast<std::int32_t>(
      std::count_if(locks_.begin(), locks_.end(), [](std::int32_t n) { return n > 0; }));
}

std::uint32_t* TileStore::Element(std::int64_t x, std::int64_t y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  // Asked for on every cursor move across a tile edge: one division per
  // axis, and the row length worked out here rather than from the tile's
  // whole rectangle.
  const std::uint32_t ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
  const std::uint32_t across = ux / tileWidth_, down = uy / tileHeight_;
  const std::uint32_t left = across * tileWidth_;
  const std::uint32_t rowLength =
      cutEdges_ && width_ - left < tileWidth_ ? width_ - left : tileWidth_;
  return tiles_[static_cast<std::size_t>(down) * tilesAcross_ + across].get() +
         static_cast<std::size_t>(uy - down * tileHeight_) * rowLength + (ux - left);
}

void TileStore::SeekCursor(std::int32_t x, std::int32_t y) {
  cursorX_ = x;
  cursorY_ = y;
  LocateCursor();
}

void TileStore::AdvanceCursor() {
  // Saturates rather than wraps, so a runaway walk stays outside the buffer.
  if (cursorX_ < INT32_MAX) ++cursorX_;
  if (cursorRun_ > 1) {
    ++cursor_;
    --cursorRun_;
  } else {
    LocateCursor();
  }
}

void TileStore::LocateCursor() {
  cursor_ = Element(cursorX_, cursorY_);
  if (!cursor_) {
    cursorRun_ = 0;
    return;
  }
  const std::uint32_t x = static_cast<std::uint32_t>(cursorX_);
  cursorRun_ = std::min(tileWidth_ - x % tileWidth_, width_ - x);
}

}  // namespace qxv::sim
