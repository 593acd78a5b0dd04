// The full pass: layers, streaks, smoothing, composite and the new reference.
#pragma once
#include "blur/pass.h"

namespace qxv {

// Runs when a reference frame of the image's size exists: layers, streaks,
// the new reference, smoothing and composite. E_OUTOFMEMORY when a working
// block or host object could not be had (the image is then untouched).
Result RunFullPass(Pass* pass);

// After a full pass: layers without trails do not outlive it.
void ReleaseSpentLayers(Pblur* pblur, const ParameterBlock& p);

}  // namespace qxv
