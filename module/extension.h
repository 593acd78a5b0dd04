// The operation table of the host's extension interfaces, served by Weight
// (positions 0 to 9) and Pblur (which adds 10 and 11).
#pragma once
#include <cstdint>

#include "host/buffer_set.h"
#include "host/callconv.h"
#include "host/guid.h"
#include "host/host_shell.h"
#include "host/render_view.h"
#include "host/result.h"
#include "host/scene.h"
#include "host/slot.h"
#include "host/tiled_image.h"

namespace qxv {

// The ten operations every extension object serves, in table order.
// AddRef and Release return the count as it was before the call; GetData
// hands out the data block the host's user interface edits in place.
#define QXV_EXTENSION_OPERATIONS(Self)                                            \
  Result(QXV_CALL* QueryInterface)(Self * self, const Guid* iid, void** out);     \
  std::uint32_t(QXV_CALL* AddRef)(Self * self);                                   \
  std::uint32_t(QXV_CALL* Release)(Self * self);                                  \
  Result(QXV_CALL* InitExtension)(Self * self, HostShell * shell);                \
  Self*(QXV_CALL* Clone)(Self * self);                                            \
  std::int32_t(QXV_CALL* ReservedQuery)(Self * self);                             \
  void*(QXV_CALL* GetData)(Self * self);                                          \
  std::int32_t(QXV_CALL* ApplyData)(Self * self);                                 \
  Result(QXV_CALL* HandleEvent)(Self * self, std::int32_t code);                  \
  std::int32_t(QXV_CALL* GetResourceId)(Self * self)

// The post-renderer's two further operations, positions 10 and 11.
#define QXV_POST_RENDERER_OPERATIONS(Self)                                         \
  Result(QXV_CALL* PostRender)(Self * self, SceneObjectList * scene, TiledImage * image, \
                               BufferSet buffers, RenderView * view, void* unused1, \
                               void* unused2);                                     \
  Result(QXV_CALL* GetNeededBuffers)(Self * self, std::uint32_t * mask, void* unused)

#define QXV_EXTENSION_SLOTS(Table)      \
  QXV_SLOT(Table, QueryInterface, 0);   \
  QXV_SLOT(Table, AddRef, 1);           \
  QXV_SLOT(Table, Release, 2);          \
  QXV_SLOT(Table, InitExtension, 3);    \
  QXV_SLOT(Table, Clone, 4);            \
  QXV_SLOT(Table, ReservedQuery, 5);    \
  QXV_SLOT(Table, GetData, 6);          \
  QXV_SLOT(Table, ApplyData, 7);        \
  QXV_SLOT(Table, HandleEvent, 8);      \
  QXV_SLOT(Table, GetResourceId, 9)

}  // namespace qxv
