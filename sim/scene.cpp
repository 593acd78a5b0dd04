// Building a simulated scene, and the reference check tests make on it.
#include <cstdio>
#include <cstdlib>

#include "sim/scene_objects.h"

namespace qxv::sim {
namespace {

// Scene building is test code; a wrong node id is a broken test, not a case
// to simulate.
NodeObject* CheckedNode(Scene* s, std::int32_t node) {
  if (node < 0 || static_cast<std::size_t>(node) >= s->nodes.size()) {
    std::fprintf(stderr, "simulated host: scene has no node %d\n", static_cast<int>(node));
    std::abort();
  }
  return s->nodes[static_cast<std::size_t>(node)];
}

}  // namespace

Scene* NewScene() {
  Scene* s = new Scene;
  s->list = MakeListObject(s);
  return s;
}

void DestroyScene(Scene* s) {
  for (NodeObject* node : s->nodes) DestroyNodeObject(node);
  DestroyListObject(s->list);
  delete s;
}

std::int32_t AddNode(Scene* s, std::int32_t parent) {
  if (parent != -1) CheckedNode(s, parent);
  s->nodes.push_back(MakeNodeObject(s, parent));
  return static_cast<std::int32_t>(s->nodes.size() - 1);
}

void Attach(Scene* s, std::int32_t node, Unknown* component) {
  NodeObject* target = CheckedNode(s, node);
  RetainAny(component);
  target->components->push_back(component);
  // The scene's own new reference is not one handed out.
  auto measured = s->baselines.find(component);
  if (measured != s->baselines.end()) ++measured->second;
}

std::int32_t AddRenderedObject(Scene* s, std::int32_t node) {
  CheckedNode(s, node);
  s->rendered.push_back(node);
  return static_cast<std::int32_t>(s->rendered.size());
}

void SetAnswersSceneNode(Scene* s, std::int32_t node, bool answers) {
  CheckedNode(s, node)->answersSceneNode = answers;
}

SceneObjectList* ObjectList(Scene* s) { return &s->list->face; }

SceneNode* NodePointer(Scene* s, std::int32_t node) { return &CheckedNode(s, node)->face; }

std::int32_t OutstandingSceneReferences(Scene* s) {
  std::int64_t outstanding = static_cast<std::int64_t>(s->list->header.refs) - 1;
  for (NodeObject* node : s->nodes) outstanding += static_cast<std::int64_t>(node->header.refs) - 1;
  for (const auto& entry : s->baselines) {
    outstanding += static_cast<std::int64_t>(CountOf(entry.first)) - entry.second;
  }
  return static_cast<std::int32_t>(outstanding);
}

}  // namespace qxv::sim
