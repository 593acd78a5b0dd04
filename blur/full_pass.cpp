#include "blur/full_pass.h"

#include "blur/composite_phase.h"
#include "blur/pass_objects.h"
#include "blur/progress_icon.h"
#include "blur/streak_phase.h"
#include "kernel/float_to_int.h"
#include "blur/search_host.h"
#include "stages/copy_buffer.h"
#include "stages/fade_layer.h"
#include "stages/smooth_layer.h"

namespace qxv {
namespace {

bool MakeLayer(Pass* pass, TileBuffer** field) {
  ReleaseField(field);
  return MakeTileBuffer(pass, field, pass->info.width, pass->info.height, 32,
                        pass->info.formatTag, 0);
}

TileIterator** Scratch(Pass* pass) { return &pass->iterators[kScratchIterator]; }

// Steps 13.1 to 13.5: the scratch rows and the two layers, faded or new.
bool PrepareLayers(Pass* pass) {
  Pblur* pblur = pass->pblur;
  ParameterBlock& p = pass->parameters;
  if (!pblur->rowScratch &&
      !MakeTileBuffer(pass, &pblur->rowScratch, pass->info.width, 2, 32, pass->info.formatTag,
                      0)) {
    return false;
  }
  p.activeTrailFrames = p.trails ? p.trailFrames : 0.0f;
  pblur->parameters.activeTrailFrames = p.activeTrailFrames;
  const std::int32_t active = ToInt32(static_cast<double>(p.activeTrailFrames));
  const std::int32_t trail = ToInt32(static_cast<double>(p.trailFrames));
  if (p.activeTrailFrames != 0.0f && pblur->mainStreakLayer) {
    if (!FadeLayer(pblur->mainStreakLayer, active, active)) return false;
  } else if (!MakeLayer(pass, &pblur->mainStreakLayer)) {
    return false;
  }
  TakeFirstTile(pblur->mainStreakLayer, Scratch(pass), &pass->mainLayerTile);
  if (p.secondaryLayer) {
    if ((p.activeTrailFrames == 0.0f && p.trailFrames == 0.0f) ||
        !pblur->secondaryStreakLayer) {
      if (!MakeLayer(pass, &pblur->secondaryStreakLayer)) return false;
    } else if (!FadeLayer(pblur->secondaryStreakLayer, active, trail)) {
      return false;
    }
    TakeFirstTile(pblur->secondaryStreakLayer, Scratch(pass), &pass->secondaryLayerTile);
  }
  if (p.depthTest) {
    TakeFirstTile(pass->depthCopy, Scratch(pass), &pass->depthCopyTile);
    if (pblur->referenceDepth) {
      pass->referenceDepthTaken =
          TakeFirstTile(pblur->referenceDepth, Scratch(pass), &pass->referenceDepthTile);
    }
  }
  return true;
}

TileBuffer* ReferenceBuffer(Pblur* pblur, int i) {
  TileBuffer* const references[3] = {pblur->referenceTags, pblur->referenceMatch1,
                                     pblur->referenceMatch2};
  return references[i];
}

// Steps 13.6 to 13.8: everything the streak phase reads stays locked.
void LockForStreaks(Pass* pass) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  for (int i = 0; i < 3; ++i) pblur->referenceTileIds[i] = 0;
  for (int i = 0; i < 3; ++i) {
    TakeFirstTile(ReferenceBuffer(pblur, i), Scratch(pass), &pblur->referenceTileIds[i]);
  }
  for (int i = 0; i < 3; ++i) {
    TileBuffer* reference = ReferenceBuffer(pblur, i);
    reference->ops->LockTile(reference, pblur->referenceTileIds[i]);
  }
  pblur->search.lastObject = 0;
  pass->found = false;
  BeginMatchSearches(&pblur->search, InitShellSearchHost());
  TakeFirstTile(pblur->tagBuffer, Scratch(pass), &pass->tagTile);
  pblur->tagBuffer->ops->LockTile(pblur->tagBuffer, pass->tagTile);
  pass->iterators[kImageIterator] = pass->image->ops->NewTileIterator(pass->image, &kWholeRegion);
  // Only views whose tiles pair with the image's are walked tile by tile.
  if (pass->match1Paired) {
    pass->iterators[kMatch1Iterator] =
        pass->match1View->ops->NewTileIterator(pass->match1View, &kWholeRegion);
  }
  if (pass->match2Paired) {
    pass->iterators[kMatch2Iterator] =
        pass->match2View->ops->NewTileIterator(pass->match2View, &kWholeRegion);
  }
  if (p.secondaryLayer) {
    if (pass->alternatePaired) {
      pass->iterators[kAlternateIterator] =
          pass->alternateView->ops->NewTileIterator(pass->alternateView, &kWholeRegion);
    }
    pblur->secondaryStreakLayer->ops->LockTile(pblur->secondaryStreakLayer,
                                               pass->secondaryLayerTile);
  }
  if (p.depthTest) {
    pass->depthCopy->ops->LockTile(pass->depthCopy, pass->depthCopyTile);
    if (pass->referenceDepthTaken) {
      pblur->referenceDepth->ops->LockTile(pblur->referenceDepth, pass->referenceDepthTile);
    }
  }
  pblur->mainStreakLayer->ops->LockTile(pblur->mainStreakLayer, pass->mainLayerTile);
}

// Step 14.2.
void UnlockAfterStreaks(Pass* pass) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  pblur->tagBuffer->ops->UnlockTile(pblur->tagBuffer, pass->tagTile);
  pblur->mainStreakLayer->ops->UnlockTile(pblur->mainStreakLayer, pass->mainLayerTile);
  if (p.secondaryLayer) {
    pblur->secondaryStreakLayer->ops->UnlockTile(pblur->secondaryStreakLayer,
                                                 pass->secondaryLayerTile);
  }
  if (p.depthTest) {
    pass->depthCopy->ops->UnlockTile(pass->depthCopy, pass->depthCopyTile);
    if (pass->referenceDepthTaken) {
      pblur->referenceDepth->ops->UnlockTile(pblur->referenceDepth, pass->referenceDepthTile);
    }
  }
  ReleaseField(&pass->iterators[kImageIterator]);
  ReleaseField(&pass->iterators[kMatch1Iterator]);
  ReleaseField(&pass->iterators[kMatch2Iterator]);
  ReleaseField(&pass->iterators[kAlternateIterator]);
  // The index points into the reference tiles' memory.
  ReleaseMatchIndex(&pblur->search, InitShellSearchHost());
  for (int i = 0; i < 3; ++i) {
    TileBuffer* reference = ReferenceBuffer(pblur, i);
    reference->ops->UnlockTile(reference, pblur->referenceTileIds[i]);
  }
}

// Step 14.6: this frame becomes the next one's reference.
bool KeepReference(Pass* pass) {
  Pblur* pblur = pass->pblur;
  if (!CopyBuffer(pblur->tagBuffer, pblur->referenceTags) ||
      !CopyBuffer(pass->match1View, pblur->referenceMatch1) ||
      !CopyBuffer(pass->match2View, pblur->referenceMatch2)) {
    return false;
  }
  if (pass->parameters.depthTest) {
    if (!pblur->referenceDepth && !MakeImageSizedBuffer(pass, &pblur->referenceDepth)) {
      return false;
    }
    if (!CopyBuffer(pass->depthCopy, pblur->referenceDepth)) return false;
  }
  return true;
}

}  // namespace

bool RunFullPass(Pass* pass) {
  Pblur* pblur = pass->pblur;
  if (!PrepareLayers(pass)) return false;
  LockForStreaks(pass);
  RunStreakPhase(pass);
  UnlockAfterStreaks(pass);
  if (!SmoothLayer(pblur, pblur->mainStreakLayer, false)) return false;
  if (pass->parameters.secondaryLayer &&
      !SmoothLayer(pblur, pblur->secondaryStreakLayer, true)) {
    return false;
  }
  PaintIcon(pass, 2);
  RunCompositePhase(pass);
  return KeepReference(pass);
}

void ReleaseSpentLayers(Pblur* pblur, const ParameterBlock& p) {
  if (p.activeTrailFrames == 0.0f) ReleaseField(&pblur->mainStreakLayer);
  if (p.activeTrailFrames == 0.0f && p.trailFrames == 0.0f) {
    ReleaseField(&pblur->secondaryStreakLayer);
  }
}

}  // namespace qxv
