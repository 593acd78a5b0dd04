// Renderers filter the vector pass like colour, so a pixel on a moving
// silhouette, part object and part what lies behind, carries a fraction of
// the object's motion. Its colour is mostly the object's and moves with
// it: such a pixel takes the path of its fastest neighbour on the same
// surface, so the object's edge is not left behind as it blurs.
#pragma once
#include "shutter/surface.h"

namespace qxv::shutter {

// A moving pixel whose 4-neighbour lies at its depth (any depth when the
// frame has none) and travels more than half as far again, and half a
// pixel more, takes that neighbour's path (the fastest such neighbour's).
// Reads the paths as they were before any is changed.
// `threads` as Settings::threads.
void SteadySilhouettes(Surface* surface, bool hasDepth, unsigned threads);

}  // namespace qxv::shutter
