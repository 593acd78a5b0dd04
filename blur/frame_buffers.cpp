#include "blur/frame_buffers.h"

#include "blur/pass_objects.h"
#include "blur/tag_objects.h"
#include "host/identifiers.h"
#include "module/held.h"
#include "stages/copy_buffer.h"

namespace qxv {
namespace {

Result QueryView(const Pass* pass, int kind, TileBuffer** field) {
  Unknown* entry = pass->buffers ? pass->buffers[kind] : nullptr;
  if (entry) QueryAs(entry, kIID_TileBuffer, field);
  return *field ? S_OK : E_INVALIDARG;
}

// Whether the view's tiles can be taken in step with the image's: the same
// size and tile geometry (and 32-bit elements where tile memory is read).
bool TiledLikeImage(const Pass* pass, TileBuffer* view, bool memoryRead) {
  BufferShape v = {};
  ReadShape(view, &v);
  const BufferShape& info = pass->info;
  return (!memoryRead || v.pixelDepth == 32) && v.tileWidth == info.tileWidth &&
         v.tileHeight == info.tileHeight && v.width == info.width && v.height == info.height;
}

// A copy into *field, made first when it does not exist.
Result CopyIntoMade(const Pass* pass, TileBuffer* source, TileBuffer** field) {
  if (!*field) {
    const Result made = MakeImageSizedBuffer(pass, field);
    if (Failed(made)) return made;
  }
  return CopyBuffer(source, *field);
}

}  // namespace

Result TakeFrameBuffers(Pass* pass) {
  Pblur* pblur = pass->pblur;
  const ParameterBlock& p = pass->parameters;
  Result r = QueryView(pass, kObjectIndexBuffer, &pass->objectIndexView);
  if (!Failed(r)) r = QueryView(pass, kMatch1Buffer, &pass->match1View);
  if (!Failed(r)) r = QueryView(pass, kMatch2Buffer, &pass->match2View);
  if (Failed(r)) return r;
  pass->match1Paired = TiledLikeImage(pass, pass->match1View, true);
  pass->match2Paired = TiledLikeImage(pass, pass->match2View, true);
  if (p.depthTest) {
    r = QueryView(pass, kDepthBuffer, &pass->depthView);
    if (!Failed(r)) r = CopyIntoMade(pass, pass->depthView, &pass->depthCopy);
    if (Failed(r)) return r;
    ReleaseField(&pass->depthView);
  }
  if (p.secondaryLayer) {
    r = QueryView(pass, kAlternateBuffer, &pass->alternateView);
    if (Failed(r)) return r;
    pass->alternatePaired = TiledLikeImage(pass, pass->alternateView, false);
  }
  r = CopyIntoMade(pass, pass->objectIndexView, &pblur->tagBuffer);
  if (Failed(r)) return r;
  ReleaseField(&pass->objectIndexView);
  TagObjects(pblur, p.mode, &pass->iterators[kScratchIterator]);
  return S_OK;
}

void DropStaleReference(Pass* pass) {
  Pblur* pblur = pass->pblur;
  if (!pblur->referenceTags) return;
  std::uint32_t width = 0, height = 0, bpp = 0, format = 0, option = 0;
  pblur->referenceTags->ops->GetInfo(pblur->referenceTags, &width, &height, &bpp, &format,
                                     &option);
  if (width != pass->info.width || height != pass->info.height) ReleaseCachedObjects(pblur);
}

Result KeepAsReference(Pass* pass) {
  Pblur* pblur = pass->pblur;
  // The tags and the depth copy are whole-image buffers that nothing reads
  // once they are kept, so each goes as soon as its copy is made: a 32-bit
  // host has little address space to spare.
  Result r = CopyIntoMade(pass, pblur->tagBuffer, &pblur->referenceTags);
  if (Failed(r)) return r;
  ReleaseField(&pblur->tagBuffer);
  r = CopyIntoMade(pass, pass->match1View, &pblur->referenceMatch1);
  if (!Failed(r)) r = CopyIntoMade(pass, pass->match2View, &pblur->referenceMatch2);
  if (!Failed(r) && pass->parameters.depthTest) {
    r = CopyIntoMade(pass, pass->depthCopy, &pblur->referenceDepth);
    if (!Failed(r)) ReleaseField(&pass->depthCopy);
  }
  return r;
}

}  // namespace qxv
