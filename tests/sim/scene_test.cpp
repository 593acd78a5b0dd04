#include <gtest/gtest.h>

#include "host/identifiers.h"
#include "sim/objects.h"
#include "sim/scene.h"

namespace qxv::sim {
namespace {

SceneNode* AsNode(Unknown* object) {
  void* out = nullptr;
  object->ops->QueryInterface(object, &kIID_SceneNode, &out);
  return static_cast<SceneNode*>(out);
}

// A component that is not the simulator's and reports counts as they were
// before the change, as the module's own components do.
struct ForeignComponent {
  const UnknownOps* ops;
  std::uint32_t refs;
};
Result QXV_CALL ForeignQueryInterface(Unknown*, const Guid*, void** out) {
  *out = nullptr;
  return E_NOINTERFACE;
}
std::uint32_t QXV_CALL ForeignAddRef(Unknown* self) {
  return reinterpret_cast<ForeignComponent*>(self)->refs++;
}
std::uint32_t QXV_CALL ForeignRelease(Unknown* self) {
  return reinterpret_cast<ForeignComponent*>(self)->refs--;
}
const UnknownOps kForeignOps = {ForeignQueryInterface, ForeignAddRef, ForeignRelease};

TEST(SimScene, WalksHandOutOnePointerPerNodeAndCountReferences) {
  const std::int32_t live = LiveHostObjects();
  Scene* s = NewScene();
  const std::int32_t top = AddNode(s, -1);
  const std::int32_t group = AddNode(s, top);
  const std::int32_t leaf = AddNode(s, group);
  EXPECT_EQ(LiveHostObjects(), live + 4);  // the list and three nodes
  Unknown* first = NewPlainComponent();
  Unknown* second = NewPlainComponent();
  Attach(s, group, first);
  Attach(s, group, second);
  ReleaseInterface(second);
  EXPECT_EQ(RefCount(first), 2u);
  EXPECT_EQ(AddRenderedObject(s, leaf), 1);
  EXPECT_EQ(AddRenderedObject(s, group), 2);

  SceneObjectList* list = ObjectList(s);
  EXPECT_EQ(list->ops->GetObjectCount(list), 2);
  EXPECT_EQ(list->ops->GetObjectAt(list, 0), nullptr);
  EXPECT_EQ(list->ops->GetObjectAt(list, 3), nullptr);
  Unknown* object = list->ops->GetObjectAt(list, 1);
  EXPECT_EQ(static_cast<void*>(object), NodePointer(s, leaf));
  SceneNode* node = AsNode(object);
  EXPECT_EQ(node, NodePointer(s, leaf));
  EXPECT_EQ(OutstandingSceneReferences(s), 2);

  SceneNode* parent = node->ops->GetParent(node);
  EXPECT_EQ(parent, NodePointer(s, group));
  EXPECT_EQ(parent->ops->GetComponentCount(parent), 2);
  EXPECT_EQ(node->ops->GetComponentCount(node), 0);
  Unknown* component = parent->ops->GetComponentAt(parent, 1);
  EXPECT_EQ(component, first);
  EXPECT_EQ(parent->ops->GetComponentAt(parent, 3), nullptr);
  EXPECT_EQ(parent->ops->GetComponentAt(parent, 0), nullptr);
  SceneNode* grand = parent->ops->GetParent(parent);
  EXPECT_EQ(grand, NodePointer(s, top));
  EXPECT_EQ(grand->ops->GetParent(grand), nullptr);
  EXPECT_EQ(OutstandingSceneReferences(s), 5);

  ReleaseInterface(component);
  ReleaseInterface(grand);
  ReleaseInterface(parent);
  ReleaseInterface(node);
  ReleaseInterface(object);
  EXPECT_EQ(OutstandingSceneReferences(s), 0);
  EXPECT_EQ(RefCount(first), 2u);

  // Releasing the scene's own reference is misuse and destroys nothing.
  ResetBadAccesses();
  ReleaseInterface(NodePointer(s, top));
  EXPECT_EQ(BadAccesses(), 1);
  EXPECT_EQ(RefCount(AsUnknown(NodePointer(s, top))), 1u);

  DestroyScene(s);
  EXPECT_EQ(RefCount(first), 1u);
  ReleaseInterface(first);
  EXPECT_EQ(LiveHostObjects(), live);
}

TEST(SimScene, NodesCanRefuseTheNodeInterface) {
  Scene* s = NewScene();
  const std::int32_t n = AddNode(s, -1);
  AddRenderedObject(s, n);
  SetAnswersSceneNode(s, n, false);
  Unknown* object = ObjectList(s)->ops->GetObjectAt(ObjectList(s), 1);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(object->ops->QueryInterface(object, &kIID_SceneNode, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->ops->QueryInterface(object, &kIID_IUnknown, &out), S_OK);
  ReleaseInterface(static_cast<Unknown*>(out));
  ReleaseInterface(object);
  EXPECT_EQ(OutstandingSceneReferences(s), 0);
  DestroyScene(s);
}

TEST(SimScene, ForeignComponentsAreMeasuredByTheirOwnCounts) {
  ForeignComponent foreign = {&kForeignOps, 1};
  Unknown* component = reinterpret_cast<Unknown*>(&foreign);
  Scene* s = NewScene();
  const std::int32_t n = AddNode(s, -1);
  Attach(s, n, component);
  EXPECT_EQ(foreign.refs, 2u);
  SceneNode* node = NodePointer(s, n);
  Unknown* got = node->ops->GetComponentAt(node, 1);
  Unknown* again = node->ops->GetComponentAt(node, 1);
  EXPECT_EQ(OutstandingSceneReferences(s), 2);
  ReleaseInterface(got);
  ReleaseInterface(again);
  EXPECT_EQ(OutstandingSceneReferences(s), 0);
  Attach(s, n, component);  // the scene's own reference, not a handed-out one
  EXPECT_EQ(OutstandingSceneReferences(s), 0);
  DestroyScene(s);
  EXPECT_EQ(foreign.refs, 1u);
}

}  // namespace
}  // namespace qxv::sim
