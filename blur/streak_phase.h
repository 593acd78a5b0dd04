// The first pixel loop of a full pass: a streak for every object pixel.
#pragma once
#include "blur/pass.h"

namespace qxv {

// Paints into the locked layers prepared by the pass; reads the image only.
void RunStreakPhase(Pass* pass);

}  // namespace qxv
