// A simulated scene: the list of rendered objects and the node tree above
// them, with components attached to nodes. A rendered object handed out by
// the list is its node itself, so a node keeps one pointer value however it
// is reached.
#pragma once
#include <cstdint>

#include "host/scene.h"
#include "host/unknown.h"

namespace qxv::sim {

struct Scene;  // owns its list and nodes

Scene* NewScene();
// Destroys the list and the nodes and releases the scene's references on the
// attached components.
void DestroyScene(Scene* s);

// parent -1 makes a top node. Returns the node id (0, 1, 2, ... in order).
std::int32_t AddNode(Scene* s, std::int32_t parent);
// The scene takes its own reference on the component.
void Attach(Scene* s, std::int32_t node, Unknown* component);
// Returns the 1-based object index under which the list hands out the node.
std::int32_t AddRenderedObject(Scene* s, std::int32_t node);
// false: QueryInterface for SceneNode fails on that node.
void SetAnswersSceneNode(Scene* s, std::int32_t node, bool answers);

// Borrowed; live as long as the scene.
SceneObjectList* ObjectList(Scene* s);
SceneNode* NodePointer(Scene* s, std::int32_t node);

// A component answering only IUnknown (one reference, owned by the caller).
Unknown* NewPlainComponent();

// References handed out by the scene's operations (objects, parents, nodes by
// QueryInterface, components and whatever the module asked the components
// for) and not yet released; 0 when the module released everything. A
// component is measured from its count just before the scene first handed
// it out, so a test should not change that count itself in between.
std::int32_t OutstandingSceneReferences(Scene* s);

}  // namespace qxv::sim
