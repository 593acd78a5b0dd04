// The TiledImage face of the simulated buffers.
#include "sim/tile_objects.h"

namespace qxv::sim {
namespace {

using Ops = TileOps<TiledImage>;

// The image interface carries no tags, so re-initialising clears them.
Result QXV_CALL InitializeImage(TiledImage* self, std::uint32_t width, std::uint32_t height,
                                std::uint32_t pixelDepth) {
  EnterHostCall(HostOp::kInitializeImage);
  return Ops::SizeAsOneTile(self, width, height, pixelDepth, 0, 0);
}

const TiledImageOps kTiledImageOps = {
    Ops::QueryInterface,
    Ops::AddRef,
    Ops::Release,
    {},
    Ops::GetInfo,
    Ops::GetTileGeometry,
    Ops::NewTileIterator,
    Ops::LockTile,
    Ops::UnlockTile,
    Ops::GetTileData,
    Ops::GetTileRect,
    InitializeImage,
    {},
    Ops::SeekPixel,
    Ops::NextPixel,
    {},
    Ops::ReadPixel,
};

}  // namespace

TiledImage* MakeTiledImageObject() { return Ops::Make(&kTiledImageOps); }

}  // namespace qxv::sim
