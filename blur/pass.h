// Everything one post-render pass holds. The pass's failure path releases
// exactly what is set here, so every reference and block lives in a field
// that starts null and is set back to null right after release.
#pragma once
#include <cstdint>

#include "blur/pblur.h"
#include "blur/previous_position.h"
#include "host/buffer_set.h"
#include "host/rect.h"
#include "host/render_view.h"
#include "host/tile_buffer.h"
#include "host/tile_iterator.h"
#include "host/tiled_image.h"
#include "module/held.h"
#include "stages/buffer_shape.h"

namespace qxv {

enum PassIterator : int {
  kImageIterator,
  kMatch1Iterator,
  kMatch2Iterator,
  kAlternateIterator,
  kScratchIterator,  // one opened to take a first tile, released at once
  kPassIteratorCount,
};

struct Pass {
  Pblur* pblur;
  SceneObjectList* scene;
  TiledImage* image;
  BufferSet buffers;
  RenderView* view;
  BufferShape info;
  // The parameter block as the pass took it, once, after normalising it.
  // Every stage reads this copy, so a host that edits the block while the
  // pass polls it gets its edit at the next frame, never a mix of the two.
  ParameterBlock parameters;

  Rect32* tileRect;
  Rect32* iconRect;
  Rect16* workRect;

  TileBuffer* objectIndexView;  // BufferSet entry 8, until copied into the tags
  TileBuffer* match1View;
  TileBuffer* match2View;
  TileBuffer* alternateView;
  TileBuffer* depthView;        // BufferSet entry 0, until copied
  TileBuffer* depthCopy;
  TiledImage* progressIcon;
  TileIterator* iterators[kPassIteratorCount];

  std::uint32_t iconTile;
  bool iconTileTaken;
  std::uint32_t tagTile;
  std::uint32_t mainLayerTile;
  std::uint32_t secondaryLayerTile;
  std::uint32_t depthCopyTile;
  std::uint32_t referenceDepthTile;
  bool referenceDepthTaken;

  // A view tiled like the image gives its tiles in step with the image's and
  // is read from their memory; any other view is read through its cursor at
  // each pixel's own position, so the pixels are the same whatever the tiling.
  bool match1Paired;
  bool match2Paired;
  bool alternatePaired;
  bool found;             // carries each match search's result into the next
  ReferenceView reference;  // the locked reference tiles, for the streak phase
  Result result;  // the pass's one outcome, set once at its end
};

}  // namespace qxv
