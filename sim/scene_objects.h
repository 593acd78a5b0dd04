// The simulated scene's list and node objects, shared by their operations
// and the scene-building functions.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "host/scene.h"
#include "sim/object_registry.h"
#include "sim/scene.h"

namespace qxv::sim {

struct NodeObject {
  SceneNode face;  // first, so the interface pointer is the object's address
  ObjectHeader header;  // keep 1: the scene's own reference
  Scene* scene;
  std::int32_t parent;  // -1 at the top
  bool answersSceneNode;
  std::vector<Unknown*>* components;  // each holds one reference of the scene's
};

struct ListObject {
  SceneObjectList face;
  ObjectHeader header;  // keep 1: the scene's own reference
  Scene* scene;
};

struct Scene {
  ListObject* list = nullptr;
  std::vector<NodeObject*> nodes;
  std::vector<std::int32_t> rendered;  // node id of object index i + 1
  // Count of each component just before the scene first handed it out.
  std::map<Unknown*, std::int64_t> baselines;
};

// Objects with one reference, the scene's own, registered as live.
NodeObject* MakeNodeObject(Scene* scene, std::int32_t parent);
ListObject* MakeListObject(Scene* scene);
// Whatever their counts: the scene goes, and its objects with it. A node
// gives back the scene's references on its components.
void DestroyNodeObject(void* face);
void DestroyListObject(void* face);

}  // namespace qxv::sim
