// The buffers one frame hands over, and the reference the pass keeps of it
// for the next frame.
#pragma once
#include "blur/pass.h"
#include "host/result.h"

namespace qxv {

// The frame's views, depth copy and tags (the object index copied into
// tagBuffer and tagged). E_INVALIDARG when an entry the mask asked for is
// missing or no TileBuffer; E_OUTOFMEMORY when an object cannot be had.
Result TakeFrameBuffers(Pass* pass);

// Drops the caches when the reference was kept of an image of another size.
void DropStaleReference(Pass* pass);

// Copies this frame's tags, match values and (with the depth test) depths
// into the reference buffers, making each one that does not exist yet right
// before its copy, and lets go of tagBuffer and depthCopy once they are
// copied. E_OUTOFMEMORY when a buffer or a copy's block cannot be had.
Result KeepAsReference(Pass* pass);

}  // namespace qxv
