#include "blur/full_pass.h"

#include "blur/composite_phase.h"
#include "blur/frame_buffers.h"
#include "blur/pass_objects.h"
#include "blur/progress_icon.h"
#include "blur/search_host.h"
#include "blur/streak_phase.h"
#include "kernel/float_to_int.h"
#include "stages/fade_layer.h"
#include "stages/smooth_layer.h"

namespace qxv {
namespace {

Result MakeLayer(const Pass* pass, TileBuffer** field) {
  ReleaseField(field);
  return MakeTileBuffer(field, pass->info.width, pass->info.height, 32, pass->info.formatTag, 0);
}

TileIterator** Scratch(Pass* pass) { return &pass->iterators[kScratchIterator]; }

// The scratch rows and the two layers, faded or new.
Result PrepareLayers(Pass* pass) {
  Pblur* pblur = pass->pblur;
  ParameterBlock& p = pass->parameters;
  Result r = S_OK;
  if (!pblur->rowScratch) {
    r = MakeTileBuffer(&pblur->rowScratch, pass->info.width, 2, 32, pass->info.formatTag, 0);
    if (Failed(r)) return r;
  }
  p.activeTrailFrames = p.trails ? p.trailFrames : 0.0f;
  pblur->parameters.activeTrailFrames = p.activeTrailFrames;
  const std::int32_t active = ToInt32(static_cast<double>(p.activeTrailFrames));
  const std::int32_t trail = ToInt32(static_cast<double>(p.trailFrames));
  if (p.activeTrailFrames != 0.0f && pblur->mainStreakLayer) {
    r = FadeLayer(pblur->mainStreakLayer, active, active);
  } else {
    r = MakeLayer(pass, &pblur->mainStreakLayer);
  }
  if (Failed(r)) return r;
  TakeFirstTile(pblur->mainStreakLayer, Scratch(pass), &pass->mainLayerTile);
  if (p.secondaryLayer) {
    if ((p.activeTrailFrames == 0.0f && p.trailFrames == 0.0f) ||
        !pblur->secondaryStreakLayer) {
      r = MakeLayer(pass, &pblur->secondaryStreakLayer);
    } else {
      r = FadeLayer(pblur->secondaryStreakLayer, active, trail);
    }
    if (Failed(r)) return r;
    TakeFirstTile(pblur->secondaryStreakLayer, Scratch(pass), &pass->secondaryLayerTile);
  }
  if (p.depthTest) {
    TakeFirstTile(pass->depthCopy, Scratch(pass), &pass->depthCopyTile);
    if (pblur->referenceDepth) {
      pass->referenceDepthTaken =
          TakeFirstTile(pblur->referenceDepth, Scratch(pass), &pass->referenceDepthTile);
    }
  }
  return S_OK;
}

TileBuffer* ReferenceBuffer(Pblur* pblur, int i) {
  TileBuffer* const references[3] = {pblur->referenceTags, pblur->referenceMatch1,
                                     pblur->referenceMatch2};
  return references[i];
}

// Everything the streak phase reads stays locked through it.
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
  OpenTiles(pass->image, &pass->iterators[kImageIterator]);
  // Only views whose tiles pair with the image's are walked tile by tile.
  if (pass->match1Paired) {
    OpenTiles(pass->match1View, &pass->iterators[kMatch1Iterator]);
  }
  if (pass->match2Paired) {
    OpenTiles(pass->match2View, &pass->iterators[kMatch2Iterator]);
  }
  if (p.secondaryLayer) {
    if (pass->alternatePaired) {
      OpenTiles(pass->alternateView, &pass->iterators[kAlternateIterator]);
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
  pass->reference = TakeReferenceView(pblur, p.depthTest != 0,
                                      pass->referenceDepthTaken ? &pass->referenceDepthTile
                                                                : nullptr);
}

// The streak phase's locks and iterators, given back in the order they are
// no longer needed.
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

}  // namespace

Result RunFullPass(Pass* pass) {
  Pblur* pblur = pass->pblur;
  Result r = PrepareLayers(pass);
  if (Failed(r)) return r;
  LockForStreaks(pass);
  RunStreakPhase(pass);
  UnlockAfterStreaks(pass);
  // The streak phase was the reference's last reader: this frame becomes
  // the reference now, and the tags and depth copy go before the layers are
  // smoothed. Every object and block the pass asks for is had before the
  // composite, so a refusal leaves the image as rendered.
  r = KeepAsReference(pass);
  if (Failed(r)) return r;
  r = SmoothLayer(pblur->mainStreakLayer, pblur->rowScratch, false);
  if (!Failed(r) && pass->parameters.secondaryLayer) {
    r = SmoothLayer(pblur->secondaryStreakLayer, pblur->rowScratch, true);
  }
  if (Failed(r)) return r;
  PaintIcon(pass, 2);
  RunCompositePhase(pass);
  return S_OK;
}

void ReleaseSpentLayers(Pblur* pblur, const ParameterBlock& p) {
  if (p.activeTrailFrames == 0.0f) ReleaseField(&pblur->mainStreakLayer);
  if (p.activeTrailFrames == 0.0f && p.trailFrames == 0.0f) {
    ReleaseField(&pblur->secondaryStreakLayer);
  }
}

}  // namespace qxv
