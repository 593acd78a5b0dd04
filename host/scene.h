// The host's scene: the list of rendered objects and the node tree above them.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/unknown.h"

namespace qxv {

struct SceneObjectList;
struct SceneNode;

struct SceneObjectListOps {
  Result(QXV_CALL* QueryInterface)(SceneObjectList* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(SceneObjectList* self);
  std::uint32_t(QXV_CALL* Release)(SceneObjectList* self);
  UnusedSlot unused3to12[10];
  // 13: number of rendered objects.
  std::int32_t(QXV_CALL* GetObjectCount)(SceneObjectList* self);
  // 14: new reference to the scene object of a 1-based index.
  Unknown*(QXV_CALL* GetObjectAt)(SceneObjectList* self, std::int32_t index);
};
QXV_SLOT(SceneObjectListOps, GetObjectCount, 13);
QXV_SLOT(SceneObjectListOps, GetObjectAt, 14);

struct SceneObjectList {
  const SceneObjectListOps* ops;
};

struct SceneNodeOps {
  Result(QXV_CALL* QueryInterface)(SceneNode* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(SceneNode* self);
  std::uint32_t(QXV_CALL* Release)(SceneNode* self);
  UnusedSlot unused3to10[8];
  // 11: new reference to the containing node, or null at the top.
  SceneNode*(QXV_CALL* GetParent)(SceneNode* self);
  UnusedSlot unused12to45[34];
  // 46: number of attached data components.
  std::int32_t(QXV_CALL* GetComponentCount)(SceneNode* self);
  // 47: new reference to the component of a 1-based index.
  Unknown*(QXV_CALL* GetComponentAt)(SceneNode* self, std::int32_t index);
};
QXV_SLOT(SceneNodeOps, Release, 2);
QXV_SLOT(SceneNodeOps, GetParent, 11);
QXV_SLOT(SceneNodeOps, GetComponentCount, 46);
QXV_SLOT(SceneNodeOps, GetComponentAt, 47);

// A node keeps one pointer value however it is reached, so pointers compare
// as node identity.
struct SceneNode {
  const SceneNodeOps* ops;
};

}  // namespace qxv
