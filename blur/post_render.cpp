#include "blur/post_render.h"

#include <cmath>

#include "blur/frame_buffers.h"
#include "blur/full_pass.h"
#include "blur/pass.h"
#include "blur/pass_objects.h"
#include "blur/progress_icon.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"

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
  ReleaseField(&pass->objectIndexView);
  ReleaseField(&pass->depthView);
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

// The cursor takes 16-bit positions, and the pixel loops need tiles to step by.
bool ImageAddressable(const BufferShape& info) {
  return info.width > 0 && info.height > 0 && info.width <= kMaxImageSide &&
         info.height <= kMaxImageSide && info.tileWidth > 0 && info.tileHeight > 0;
}

Result PrepareProgressIcon(Pass* pass) {
  const Result made = MakeProgressIcon(pass);
  if (Failed(made)) return made;
  TiledImage* icon = pass->progressIcon;
  if (!TakeFirstTile(icon, &pass->iterators[kScratchIterator], &pass->iconTile)) {
    // An icon without tiles shows nothing; the pass goes on without it.
    *pass->iconRect = Rect32{0, 0, 0, 0};
    return S_OK;
  }
  pass->iconTileTaken = true;
  icon->ops->GetTileRect(icon, pass->iconTile, pass->workRect);
  *pass->iconRect = ToRect32(*pass->workRect);
  PaintIcon(pass, 1);
  return S_OK;
}

// From the image description to the reference for the next frame. The
// image is untouched unless this returns S_OK.
Result RunFrame(Pass* pass) {
  Pblur* pblur = pass->pblur;
  ReadShape(pass->image, &pass->info);
  if (pass->info.pixelDepth != 32 || pass->parameters.mode == ModeNone) {
    ReleaseCachedObjects(pblur);
    return S_OK;
  }
  if (!ImageAddressable(pass->info)) return E_INVALIDARG;
  // A reference of another size goes before this frame's buffers are made,
  // so that the two never take address space at once.
  DropStaleReference(pass);
  Result r = TakeFrameBuffers(pass);
  if (!Failed(r)) r = PrepareProgressIcon(pass);
  if (Failed(r)) return r;
  // The first frame, or the first after the caches were dropped, only
  // becomes the reference.
  if (!pblur->referenceTags) return KeepAsReference(pass);
  return RunFullPass(pass);
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
  const bool haveRectangles = pass->tileRect && pass->iconRect && pass->workRect;
  const Result result = haveRectangles ? RunFrame(pass) : E_OUTOFMEMORY;
  // Every way out goes through here: whatever failed, the caches go with it.
  if (Failed(result)) ReleaseCachedObjects(pblur);
  ReleasePassObjects(pass);
  if (!Failed(result)) ReleaseSpentLayers(pblur, pass->parameters);
  FreeRectangles(pass);
  pass->result = result;
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
