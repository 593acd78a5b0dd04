// I3DExPostRenderer: the table Pblur serves. The host calls it after every
// rendered frame; the same object answers IUnknown, I3DExtension and
// I3DExDataExchanger.
#pragma once
#include <cstdint>

#include "host/extension.h"
#include "host/slot.h"

namespace qxv {

struct PostRenderer;

struct PostRendererOps {
  QXV_EXTENSION_OPERATIONS(PostRenderer);
  QXV_POST_RENDERER_OPERATIONS(PostRenderer);
};
QXV_EXTENSION_SLOTS(PostRendererOps);
QXV_SLOT(PostRendererOps, PostRender, 10);
QXV_SLOT(PostRendererOps, GetNeededBuffers, 11);

struct PostRenderer {
  const PostRendererOps* ops;
};

}  // namespace qxv
