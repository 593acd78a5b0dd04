// The TileBuffer face of the simulated buffers.
#include "sim/tile_objects.h"

namespace qxv::sim {
namespace {

using Ops = TileOps<TileBuffer>;

Result QXV_CALL Initialize(TileBuffer* self, std::uint32_t width, std::uint32_t height,
                           std::uint32_t bitsPerPixel, std::uint32_t formatTag,
                           std::uint32_t optionTag) {
  EnterHostCall(HostOp::kInitialize);
  return Ops::SizeAsOneTile(self, width, height, bitsPerPixel, formatTag, optionTag);
}

// Out-of-buffer writes are dropped rather than clamped, so they cannot
// disguise themselves as a valid pixel.
Result QXV_CALL WritePixel(TileBuffer* self, const std::uint32_t* value) {
  EnterHostCall(HostOp::kWritePixel);
  std::uint32_t* element = StoreOf(self).CursorElement();
  if (!value || !element) {
    NoteBadAccess();
    return E_FAIL;
  }
  *element = *value;
  return S_OK;
}

std::uint32_t QXV_CALL PixelAtCursor(TileBuffer* self) {
  EnterHostCall(HostOp::kPixelAtCursor);
  const std::uint32_t* element = StoreOf(self).CursorElement();
  if (!element) {
    NoteBadAccess();
    return 0;
  }
  return *element;
}

const TileBufferOps kTileBufferOps = {
    Ops::QueryInterface,
    Ops::AddRef,
    Ops::Release,
    Initialize,
    Ops::GetInfo,
    Ops::GetTileGeometry,
    Ops::NewTileIterator,
    Ops::LockTile,
    Ops::UnlockTile,
    Ops::GetTileData,
    Ops::GetTileRect,
    {},
    Ops::SeekPixel,
    Ops::NextPixel,
    {},
    WritePixel,
    Ops::ReadPixel,
    PixelAtCursor,
};

}  // namespace

TileBuffer* MakeTileBufferObject() { return Ops::Make(&kTileBufferOps); }

}  // namespace qxv::sim
