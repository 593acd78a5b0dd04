// The simulated host's object factory and the checks tests make on the
// objects the simulator hands out.
#pragma once
#include <cstdint>

#include "host/guid.h"
#include "host/result.h"
#include "host/unknown.h"

namespace qxv::sim {

// Makes a host object for the shell's CreateHostObject: the TileBuffer class
// asked for the TileBuffer interface gives an uninitialised (0 x 0)
// TileBuffer, the TiledImage class asked for the TiledImage interface an
// uninitialised TiledImage. Any other interface of a known class: null and
// E_NOINTERFACE; an unknown class: null and E_FAIL.
Result CreateHostObject(const Guid& clsid, const Guid& iid, void** out);

// Simulated objects alive now: buffers, images, iterators, views, scene
// lists, scene nodes and plain components.
std::int32_t LiveHostObjects();
// Tiles with a lock count above 0, over all live objects.
std::int32_t LockedTiles();
// Misuse seen so far: pixel access at a cursor outside the buffer, an
// unknown tile id, GetTileData of a tile that is not locked, unlocking a tile
// that is not locked, releasing a reference an owner keeps, null out
// pointers. Moving the cursor past the row end is not misuse; only an access
// there is.
std::int64_t BadAccesses();
void ResetBadAccesses();
// Current reference count of a simulated object; 0 for anything else.
std::uint32_t RefCount(Unknown* object);

}  // namespace qxv::sim
