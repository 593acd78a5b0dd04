// The post-render pass: one call per rendered frame.
#pragma once
#include "blur/pblur.h"
#include "host/buffer_set.h"
#include "host/render_view.h"
#include "host/scene.h"
#include "host/tiled_image.h"

namespace qxv {

// Blurs the image in place using the previous frame kept in the object, and
// keeps this frame as the reference for the next call. A call without a
// usable reference only stores one and leaves the image as rendered.
Result PostRender(Pblur* pblur, SceneObjectList* scene, TiledImage* image, BufferSet buffers,
                  RenderView* view);

// The largest width or height the pass addresses: tile iterators cover
// 0..32000 and cursor positions are 16-bit.
constexpr std::uint32_t kMaxImageSide = 32000;

}  // namespace qxv
