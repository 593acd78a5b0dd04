// The operations every extension object of the module serves (Weight:
// positions 0 to 9; Pblur adds the post-renderer's 10 and 11). Each table is
// declared for its own object type through these macros, so the positions
// are written once.
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

// 0 QueryInterface: writes null to *out, then the object itself with one
//   more reference and S_OK for an identifier it answers, E_NOINTERFACE
//   otherwise (E_POINTER for a null out pointer).
// 1 AddRef, 2 Release: return the count as it was before the call; the
//   Release that takes it to 0 destroys the object (its cached host objects
//   released) and gives its memory back to the host.
// 3 InitExtension: S_OK. Weight keeps the shell for the module; Pblur keeps
//   nothing (the pass uses the shell DllInitRDCom handed over).
// 4 Clone: a new object of the class with default values and one reference
//   (the caller releases it), or null when the host gives no memory.
// 5 ReservedQuery: 0.
// 6 GetData: the object's data block, which the host edits in place.
// 7 ApplyData: Pblur applies a pending four-character command; 0.
// 8 HandleEvent: Pblur shows the code in a message box, drops its caches
//   and returns S_OK; Weight returns E_NOTIMPL.
// 9 GetResourceId: 128 for Pblur, 129 for Weight.
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

// 10 PostRender(scene, image, buffers, view, -, -): blurs the rendered image
//   in place. The scene, image, buffers and view stay the host's; every
//   object the pass makes or asks for is released before it returns.
//   S_OK; E_INVALIDARG for an image it cannot address (a side or a tile side
//   of 0, a side above 32000) or a missing BufferSet entry; E_OUTOFMEMORY
//   when the host gives no block or object; E_POINTER without an image or
//   an init shell; E_FAIL when a passed-on host failure comes back. A host
//   failure raised inside is passed on after everything is released.
// 11 GetNeededBuffers(mask, -): writes the BufferSet entries the pass reads
//   (0x700, plus 0x80000 with the secondary layer, plus 0x1 with the depth
//   test); S_OK, or E_POINTER for a null mask.
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
