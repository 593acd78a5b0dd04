// RenderView: where the host shows the render output; the pass shows progress there.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/rect.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/tiled_image.h"

namespace qxv {

struct RenderView;

struct RenderViewOps {
  Result(QXV_CALL* QueryInterface)(RenderView* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(RenderView* self);
  std::uint32_t(QXV_CALL* Release)(RenderView* self);
  UnusedSlot unused3to12[10];
  // 13: shows `source` of the image in `destination` of the output; result ignored.
  Result(QXV_CALL* ShowRegion)(RenderView* self, TiledImage* image, const Rect16* source,
                               const Rect32* destination);
};
QXV_SLOT(RenderViewOps, ShowRegion, 13);

struct RenderView {
  const RenderViewOps* ops;
};

}  // namespace qxv
