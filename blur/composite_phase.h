// The second pixel loop of a full pass: the layers laid onto the image.
#pragma once
#include "blur/pass.h"

namespace qxv {

// Rewrites every pixel of the image (bits 24-31 become 0).
void RunCompositePhase(Pass* pass);

}  // namespace qxv
