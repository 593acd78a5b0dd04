#include "blur/post_render.h"

#include <cmath>

#include "blur/full_pass.h"
#include "blur/pass.h"
#include "blur/pass_objects.h"
#include "blur/progress_icon.h"
#include "blur/tag_objects.h"
#include "host/identifiers.h"
#include "kernel/float_to_int.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"
#include "stages/copy_buffer.h"

namespace qxv {
namespace {

// Counts lose their fraction; echoCount below 1 becomes 1. NaN stays NaN
// (its comparison is false), which the painter treats as a spent intensity.
void NormaliseParameters(ParameterBlock& p) {
  p.echoCount = p.echoCount < 1.0f ? 1.0f : std::floor(p.echoCount);
  p.activeTrailFrames = std::floor(p.activeTrailFrames);
  p.trailFrames = std::floor(p.trailFrames);
}

void ReleasePassObjects(Pass* pass) {
  Pblur* pblur = pass->pblur;
  for (TileIterator*& iterator : pass->iterators) ReleaseField(&iterator);
  ReleaseField(&pass->entry8View);
  ReleaseField(&pass->entry0View);
  ReleaseField(&pass->depthCopy);
  ReleaseField(&pass->match1View);
  ReleaseField(&pass->match2View);
  ReleaseField(&pblur->tagBuffer);
  ReleaseField(&pass->progressIcon);
  ReleaseField(&pass->alternateView);
}

void FreeRectangles(Pass* pass) {
  FreeField(&pass->tileRect);
  FreeField(&pass->iconRect);
  FreeField(&pass->workRect);
}

// The host resumes here when it raises a failure anywhere in the pass.
void AbandonPass(Pass* pass) {
  FreeRectangles(pass);
  ReleasePassObjects(pass);
  ReleaseCachedObjects(pass->pblur);
}

// A stage or the host could not give what the pass needs: leave the image
// as rendered (when not yet composited), drop the caches and say so.
void GiveUp(Pass* pass, Result result) {
  pass->result = result;
  ReleaseCachedObjects(pass->pblur);
}

bool QueryView(Pass* pass, int kind, TileBuffer** field) {
  Unknown* entry = pass->buffers ? pass->buffers[kind] : nullptr;
  if (entry) QueryAs(entry, kIID_TileBuffer, field);
  if (*field) return true;
  GiveUp(pass, E_INVALIDARG);
  return false;
}

void ReadImageDescription(Pass* pass) {
  ImageDescription& info = pass->info;
  TiledImage* image = pass->image;
  image->ops->GetTileGeometry(image, &info.tileWidth, &info.tileHeight, &info.reserved,
                              &info.pixelDepth);
  image->ops->GetInfo(image, &info.width, &info.height, &info.bitsPerPixel, &info.formatTag,
                      &info.optionTag);
}

bool ImageAddressable(const ImageDescription& info) {
  return info.width > 0 && info.height > 0 && info.width <= kMaxImageSide &&
         info.height <= kMaxImageSide && info.tileWidth > 0 && info.tileHeight > 0;
}

// Whether the view's tiles can be taken in step with the image's: the same
// size and tile geometry (and 32-bit elements where tile memory is read).
bool TiledLikeImage(const Pass* pass, TileBuffer* view, bool memoryRead) {
  ImageDescription v = {};
  view->ops->GetTileGeometry(view, &v.tileWidth, &v.tileHeight, &v.reserved, &v.pixelDepth);
  view->ops->GetInfo(view, &v.width, &v.height, &v.bitsPerPixel, &v.formatTag, &v.optionTag);
  const ImageDescription& info = pass->info;
  return (!memoryRead || v.pixelDepth == 32) && v.tileWidth == info.tileWidth && v.tileHeight == info.tileHeight &&
         v.width == info.width && v.height == info.height;
}

// Steps 8 and 9: this frame's views, depth copy and tags.
bool TakeFrameBuffers(Pass* pass) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  if (!QueryView(pass, kObjectIndexBuffer, &pass->entry8View) ||
      !QueryView(pass, kMatch1Buffer, &pass->match1View) ||
      !QueryView(pass, kMatch2Buffer, &pass->match2View)) {
    return false;
  }
  pass->match1Paired = TiledLikeImage(pass, pass->match1View, true);
  pass->match2Paired = TiledLikeImage(pass, pass->match2View, true);
  if (p.depthTest) {
    if (!QueryView(pass, kDepthBuffer, &pass->entry0View)) return false;
    if (!MakeImageSizedBuffer(pass, &pass->depthCopy)) return false;
    if (!CopyBuffer(pass->entry0View, pass->depthCopy)) return false;
    ReleaseField(&pass->entry0View);
  }
  if (p.secondaryLayer) {
    if (!QueryView(pass, kAlternateBuffer, &pass->alternateView)) return false;
    pass->alternatePaired = TiledLikeImage(pass, pass->alternateView, false);
  }
  if (!MakeImageSizedBuffer(pass, &pblur->tagBuffer)) return false;
  if (!CopyBuffer(pass->entry8View, pblur->tagBuffer)) return false;
  ReleaseField(&pass->entry8View);
  TagObjects(pblur, p.mode, &pass->iterators[kScratchIterator]);
  return true;
}

bool PrepareProgressIcon(Pass* pass) {
  if (!MakeProgressIcon(pass)) return false;
  TiledImage* icon = pass->progressIcon;
  if (!TakeFirstTile(icon, &pass->iterators[kScratchIterator], &pass->iconTile)) {
    // An icon without tiles shows nothing; the pass goes on without it.
    *pass->iconRect = Rect32{0, 0, 0, 0};
    return true;
  }
  pass->iconTileTaken = true;
  icon->ops->GetTileRect(icon, pass->iconTile, pass->workRect);
  *pass->iconRect = ToRect32(*pass->workRect);
  PaintIcon(pass, 1);
  return true;
}

// Step 12: the first frame (or the first after the caches were dropped)
// only becomes the reference.
bool StoreReference(Pass* pass) {
  Pblur* pblur = pass->pblur;
  if (!MakeImageSizedBuffer(pass, &pblur->referenceTags) ||
      !CopyBuffer(pblur->tagBuffer, pblur->referenceTags) ||
      !MakeImageSizedBuffer(pass, &pblur->referenceMatch1) ||
      !CopyBuffer(pass->match1View, pblur->referenceMatch1) ||
      !MakeImageSizedBuffer(pass, &pblur->referenceMatch2) ||
      !CopyBuffer(pass->match2View, pblur->referenceMatch2)) {
    return false;
  }
  if (pass->parameters.depthTest) {
    if (!MakeImageSizedBuffer(pass, &pblur->referenceDepth) ||
        !CopyBuffer(pass->depthCopy, pblur->referenceDepth)) {
      return false;
    }
  }
  return true;
}

void DropStaleReference(Pass* pass) {
  Pblur* pblur = pass->pblur;
  if (!pblur->referenceTags) return;
  std::uint32_t width = 0, height = 0, bpp = 0, format = 0, option = 0;
  pblur->referenceTags->ops->GetInfo(pblur->referenceTags, &width, &height, &bpp, &format,
                                     &option);
  if (width != pass->info.width || height != pass->info.height) ReleaseCachedObjects(pblur);
}

void PassBody(Pass* pass) {
  Pblur* pblur = pass->pblur;
  ParameterBlock& p = pblur->parameters;
  ApplyCommand(p);
  pass->tileRect = static_cast<Rect32*>(Allocate(sizeof(Rect32)));
  pass->iconRect = static_cast<Rect32*>(Allocate(sizeof(Rect32)));
  pass->workRect = static_cast<Rect16*>(Allocate(sizeof(Rect16)));
  // The host sees these in the block whatever happens next.
  NormaliseParameters(p);
  if (p.resetPending) {
    ReleaseCachedObjects(pblur);
    p.resetPending = 0;
  }
  pblur->sceneObjects = pass->scene;
  pass->parameters = p;
  if (!pass->tileRect || !pass->iconRect || !pass->workRect) {
    GiveUp(pass, E_OUTOFMEMORY);
    FreeRectangles(pass);
    return;
  }
  ReadImageDescription(pass);
  bool fullPass = false;
  if (pass->info.pixelDepth != 32 || pass->parameters.mode == ModeNone) {
    ReleaseCachedObjects(pblur);
  } else if (!ImageAddressable(pass->info)) {
    GiveUp(pass, E_INVALIDARG);
  } else if (!TakeFrameBuffers(pass) || !PrepareProgressIcon(pass)) {
    if (pass->result == S_OK) GiveUp(pass, E_OUTOFMEMORY);
  } else {
    DropStaleReference(pass);
    if (!pblur->referenceTags) {
      if (!StoreReference(pass)) GiveUp(pass, E_OUTOFMEMORY);
    } else if (RunFullPass(pass)) {
      fullPass = true;
    } else {
      GiveUp(pass, E_OUTOFMEMORY);
    }
  }
  if (pass->outOfMemory && pass->result == S_OK) GiveUp(pass, E_OUTOFMEMORY);
  ReleasePassObjects(pass);
  if (fullPass) ReleaseSpentLayers(pblur, pass->parameters);
  FreeRectangles(pass);
}

}  // namespace

Result PostRender(Pblur* pblur, SceneObjectList* scene, TiledImage* image, BufferSet buffers,
                  RenderView* view) {
  pblur->parameters.reservedFlag = 0;
  // Without the shell DllInitRDCom handed over there is no host to make
  // buffers with.
  if (!image || !InitShell()) return E_POINTER;
  Pass pass = {};
  pass.pblur = pblur;
  pass.scene = scene;
  pass.image = image;
  pass.buffers = buffers;
  pass.view = view;
  pass.result = S_OK;
  if (!Protected<Pass, PassBody, AbandonPass>(&pass)) return E_FAIL;
  return pass.result;
}

}  // namespace qxv
