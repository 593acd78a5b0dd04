// Pixel storage behind both simulated buffer kinds: tiles in row-major tile
// order, per-tile lock counts and a pixel cursor.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/rect.h"

namespace qxv::sim {

class TileStore {
 public:
  TileStore() = default;
  // Large tiles' memory goes on to the next store of the same size.
  ~TileStore();
  TileStore(const TileStore&) = delete;
  TileStore& operator=(const TileStore&) = delete;

  // The largest size a Rect16 can describe.
  static constexpr std::uint32_t kMaxExtent = 32767;

  // Drops the old tiles and makes zeroed ones. A tile size of 0 means one tile
  // covering the buffer. False (and an empty 0 x 0 store) when a tile
  // rectangle would not fit in a Rect16. With cutEdges, the tiles of the
  // last column and row are cut to the buffer, rectangle and memory alike
  // (a row of such a tile is as long as its rectangle is wide); otherwise
  // every tile is full-size.
  bool Reset(std::uint32_t width, std::uint32_t height, std::uint32_t tileWidth,
             std::uint32_t tileHeight, std::uint32_t pixelDepth, std::uint32_t formatTag,
             std::uint32_t optionTag, bool cutEdges = false);

  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  // A host that reports more than it stores, as a damaged or hostile one
  // might: GetInfo answers with the claimed size until the next Reset. Only
  // sizes the module must refuse are claimed, so nothing reads past storage.
  void Claim(std::uint32_t width, std::uint32_t height) {
    claimedWidth_ = width;
    claimedHeight_ = height;
  }
  std::uint32_t reportedWidth() const { return claimedWidth_ ? claimedWidth_ : width_; }
  std::uint32_t reportedHeight() const { return claimedHeight_ ? claimedHeight_ : height_; }
  std::uint32_t tileWidth() const { return tileWidth_; }
  std::uint32_t tileHeight() const { return tileHeight_; }
  std::uint32_t pixelDepth() const { return pixelDepth_; }
  std::uint32_t formatTag() const { return formatTag_; }
  std::uint32_t optionTag() const { return optionTag_; }
  std::uint32_t TileCount() const { return static_cast<std::uint32_t>(tiles_.size()); }

  // Ids are deliberately not tile indices, so that a caller mixing the two
  // shows up as an unknown id.
  // Ids differ between objects and between sizings, so a module that hands
  // one object's tile id to another is caught.
  std::uint32_t IdOfTile(std::uint32_t index) const { return idBase_ + index; }
  // False for an id this store does not have.
  bool TileOfId(std::uint32_t id, std::uint32_t* index) const;

  // Full-size tiles' rectangles of the last column and row may reach past
  // the buffer; cut ones end at its edge.
  Rect32 TileRect(std::uint32_t index) const;
  // Elements per row of the tile's memory: the width of its rectangle.
  std::uint32_t RowLength(std::uint32_t index) const;
  std::uint32_t* TileMemory(std::uint32_t index) { return tiles_[index].get(); }
  bool Meets(std::uint32_t index, const Rect16& region) const;

  std::int32_t& LockCount(std::uint32_t index) { return locks_[index]; }
  std::int32_t LockedTileCount() const;

  // Null outside the buffer.
  std::uint32_t* Element(std::int64_t x, std::int64_t y);

  void SeekCursor(std::int32_t x, std::int32_t y);
  void AdvanceCursor();
  // Null when the cursor is outside the buffer.
  std::uint32_t* CursorElement() const { return cursor_; }

 private:
  std::uint32_t idBase_ = 0x100000;

  void LocateCursor();
  void GiveBackTiles();

  std::uint32_t width_ = 0, height_ = 0;
  std::uint32_t claimedWidth_ = 0, claimedHeight_ = 0;
  std::uint32_t tileWidth_ = 0, tileHeight_ = 0;
  std::uint32_t pixelDepth_ = 0, formatTag_ = 0, optionTag_ = 0;
  std::uint32_t tilesAcross_ = 0;
  bool cutEdges_ = false;
  std::vector<std::unique_ptr<std::uint32_t[]>> tiles_;
  std::vector<std::int32_t> locks_;
  std::int32_t cursorX_ = 0, cursorY_ = 0;
  // Cached address of the cursor's element and how many elements of the
  // same tile row follow it (itself included), so that walking a row costs
  // no division.
  std::uint32_t* cursor_ = nullptr;
  std::uint32_t cursorRun_ = 0;
};

}  // namespace qxv::sim
