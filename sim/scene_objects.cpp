#include "sim/scene_objects.h"

#include "host/identifiers.h"
#include "sim/host.h"

namespace qxv::sim {
namespace {

NodeObject* ObjectOfNode(SceneNode* self) { return reinterpret_cast<NodeObject*>(self); }
ListObject* ObjectOfList(SceneObjectList* self) { return reinterpret_cast<ListObject*>(self); }

// Shared by both scene interfaces: which interfaces an object answers is all
// that differs.
Result Answer(void* self, ObjectHeader* header, const Guid* iid, void** out, bool isNode) {
  if (!out || !iid) {
    NoteBadAccess();
    if (out) *out = nullptr;
    return E_POINTER;
  }
  if (!SameGuid(*iid, kIID_IUnknown) && !(isNode && SameGuid(*iid, kIID_SceneNode))) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  Retain(header);
  *out = self;
  return S_OK;
}

Result QXV_CALL NodeQueryInterface(SceneNode* self, const Guid* iid, void** out) {
  EnterHostCall(HostOp::kQueryInterface);
  NodeObject* node = ObjectOfNode(self);
  return Answer(self, &node->header, iid, out, node->answersSceneNode);
}

std::uint32_t QXV_CALL NodeAddRef(SceneNode* self) {
  EnterHostCall(HostOp::kAddRef);
  return Retain(&ObjectOfNode(self)->header);
}

std::uint32_t QXV_CALL NodeRelease(SceneNode* self) {
  EnterHostCall(HostOp::kRelease);
  return Drop(self, &ObjectOfNode(self)->header);
}

SceneNode* QXV_CALL GetParent(SceneNode* self) {
  EnterHostCall(HostOp::kGetParent);
  NodeObject* node = ObjectOfNode(self);
  if (node->parent < 0) return nullptr;
  NodeObject* parent = node->scene->nodes[static_cast<std::size_t>(node->parent)];
  Retain(&parent->header);
  return &parent->face;
}

std::int32_t QXV_CALL GetComponentCount(SceneNode* self) {
  EnterHostCall(HostOp::kGetComponentCount);
  return static_cast<std::int32_t>(ObjectOfNode(self)->components->size());
}

Unknown* QXV_CALL GetComponentAt(SceneNode* self, std::int32_t index) {
  EnterHostCall(HostOp::kGetComponentAt);
  NodeObject* node = ObjectOfNode(self);
  if (index < 1 || static_cast<std::size_t>(index) > node->components->size()) return nullptr;
  Unknown* component = (*node->components)[static_cast<std::size_t>(index - 1)];
  std::map<Unknown*, std::int64_t>& baselines = node->scene->baselines;
  if (baselines.find(component) == baselines.end()) baselines[component] = CountOf(component);
  RetainAny(component);
  return component;
}

Result QXV_CALL ListQueryInterface(SceneObjectList* self, const Guid* iid, void** out) {
  EnterHostCall(HostOp::kQueryInterface);
  return Answer(self, &ObjectOfList(self)->header, iid, out, false);
}

std::uint32_t QXV_CALL ListAddRef(SceneObjectList* self) {
  EnterHostCall(HostOp::kAddRef);
  return Retain(&ObjectOfList(self)->header);
}

std::uint32_t QXV_CALL ListRelease(SceneObjectList* self) {
  EnterHostCall(HostOp::kRelease);
  return Drop(self, &ObjectOfList(self)->header);
}

std::int32_t QXV_CALL GetObjectCount(SceneObjectList* self) {
  EnterHostCall(HostOp::kGetObjectCount);
  return static_cast<std::int32_t>(ObjectOfList(self)->scene->rendered.size());
}

Unknown* QXV_CALL GetObjectAt(SceneObjectList* self, std::int32_t index) {
  EnterHostCall(HostOp::kGetObjectAt);
  Scene* scene = ObjectOfList(self)->scene;
  if (index < 1 || static_cast<std::size_t>(index) > scene->rendered.size()) return nullptr;
  const std::int32_t id = scene->rendered[static_cast<std::size_t>(index - 1)];
  NodeObject* node = scene->nodes[static_cast<std::size_t>(id)];
  Retain(&node->header);
  return reinterpret_cast<Unknown*>(&node->face);
}

const SceneNodeOps kSceneNodeOps = {
    NodeQueryInterface, NodeAddRef, NodeRelease, {}, GetParent, {}, GetComponentCount,
    GetComponentAt,
};

const SceneObjectListOps kSceneObjectListOps = {
    ListQueryInterface, ListAddRef, ListRelease, {}, GetObjectCount, GetObjectAt,
};

}  // namespace

NodeObject* MakeNodeObject(Scene* scene, std::int32_t parent) {
  NodeObject* node = new NodeObject{{&kSceneNodeOps},
                                    {1, 1, &DestroyNodeObject, nullptr},
                                    scene,
                                    parent,
                                    true,
                                    new std::vector<Unknown*>};
  RegisterObject(node, &node->header);
  return node;
}

ListObject* MakeListObject(Scene* scene) {
  ListObject* list =
      new ListObject{{&kSceneObjectListOps}, {1, 1, &DestroyListObject, nullptr}, scene};
  RegisterObject(list, &list->header);
  return list;
}

void DestroyNodeObject(void* face) {
  NodeObject* node = static_cast<NodeObject*>(face);
  UnregisterObject(face);
  for (Unknown* component : *node->components) ReleaseAny(component);
  delete node->components;
  delete node;
}

void DestroyListObject(void* face) {
  UnregisterObject(face);
  delete static_cast<ListObject*>(face);
}

}  // namespace qxv::sim
