// The full pass: layers, streaks, smoothing, composite and the new reference.
#pragma once
#include "blur/pass.h"

namespace qxv {

// Runs when a reference frame of the image's size exists. False when a
// working block or host object could not be had (the image may then be
// unchanged or fully composited, never half painted by a missing stage).
bool RunFullPass(Pass* pass);

// After a full pass: layers without trails do not outlive it.
void ReleaseSpentLayers(Pblur* pblur, const ParameterBlock& p);

}  // namespace qxv
