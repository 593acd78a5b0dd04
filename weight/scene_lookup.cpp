#include "weight/scene_lookup.h"

#include "host/identifiers.h"
#include "module/held.h"
#include "module/protected_block.h"
#include "weight/component_scan.h"

namespace qxv {
namespace {

GroupCache groupCache = {0, 0, false};

// What one level of a walk holds; the clean-up releases whatever is set.
struct WalkLevel {
  SceneNode* node;
  SceneNode* target;
  SceneNode** root;
  float* primary;
  float* secondary;
  SceneNode* parent;
  ComponentSlots slots;
  bool result;
};

void ReleaseLevel(WalkLevel* level) {
  ReleaseComponentSlots(&level->slots);
  ReleaseField(&level->parent);
}

SceneNode* ParentOf(SceneNode* node) { return node ? node->ops->GetParent(node) : nullptr; }

void FindGroupRootLevel(WalkLevel* level) {
  level->parent = ParentOf(level->node);
  if (!level->parent) return;
  WeightData found;
  if (ScanForWeight(level->parent, &level->slots, &found)) {
    *level->root = level->parent;  // identity only: no reference is kept
    level->result = found.groupChildren != 0;
  }
  if (!level->result) level->result = FindGroupRoot(level->parent, level->root);
  ReleaseField(&level->parent);
}

void IsStrictAncestorLevel(WalkLevel* level) {
  level->parent = ParentOf(level->node);
  if (!level->parent) return;
  level->result = level->parent == level->target ||
                  IsStrictAncestor(level->parent, level->target);
  ReleaseField(&level->parent);
}

void InheritWeightsLevel(WalkLevel* level) {
  level->result = true;
  level->parent = ParentOf(level->node);
  if (!level->parent) return;
  WeightData found;
  if (ScanForWeight(level->parent, &level->slots, &found)) {
    *level->primary = found.primaryWeight;
    *level->secondary = found.secondaryWeight;
  } else {
    InheritWeights(level->parent, level->primary, level->secondary);
  }
  ReleaseField(&level->parent);
}

// An object and its node, held while a lookup reads them.
struct ObjectLookup {
  SceneObjectList* list;
  std::int32_t index;
  std::int32_t other;
  bool* secondStreak;
  Unknown* object;
  SceneNode* node;
  ComponentSlots slots;
  float primary;
  float secondary;
  bool result;
};

void ReleaseObject(ObjectLookup* lookup) {
  ReleaseComponentSlots(&lookup->slots);
  ReleaseField(&lookup->node);
  ReleaseField(&lookup->object);
}

std::int32_t ObjectCount(SceneObjectList* list) {
  return list ? list->ops->GetObjectCount(list) : 0;
}

// A null object or one that is not a node leaves lookup->node null: a node
// without parent and without components.
void TakeNode(ObjectLookup* lookup, std::int32_t index) {
  lookup->object = lookup->list->ops->GetObjectAt(lookup->list, index);
  if (lookup->object) QueryAs(lookup->object, kIID_SceneNode, &lookup->node);
}

void LookupObjectWeightsBody(ObjectLookup* lookup) {
  if (lookup->index > ObjectCount(lookup->list)) {
    lookup->result = true;
    return;
  }
  TakeNode(lookup, lookup->index);
  InheritWeights(lookup->node, &lookup->primary, &lookup->secondary);
  WeightData own;
  if (lookup->node && ScanForWeight(lookup->node, &lookup->slots, &own)) {
    lookup->primary = own.primaryWeight;
    lookup->secondary = own.secondaryWeight;
  }
  ReleaseObject(lookup);
  // Both comparisons are false for a value that is not a number.
  *lookup->secondStreak = lookup->secondary >= kSecondStreakThreshold;
  lookup->result = lookup->primary >= kBlurThreshold;
}

void SameOcclusionGroupBody(ObjectLookup* lookup) {
  const std::int32_t a = lookup->index;
  const std::int32_t b = lookup->other;
  groupCache.lastA = a;
  groupCache.lastB = b;
  const std::int32_t count = ObjectCount(lookup->list);
  if (a > count || b > count) {
    groupCache.lastResult = false;
    return;
  }
  TakeNode(lookup, a);
  SceneNode* root = nullptr;
  const bool found = FindGroupRoot(lookup->node, &root);
  ReleaseObject(lookup);
  if (!found) {
    groupCache.lastResult = false;
    return;
  }
  TakeNode(lookup, b);
  groupCache.lastResult = IsStrictAncestor(lookup->node, root);
  ReleaseObject(lookup);
}

// The interrupted call keeps the pair it wrote into the cache, with the
// answer as it stood: the cache is keyed by the two indices alone, and a
// later call for the same pair without refresh takes that answer, as it
// would after a change of scene.
void AbandonGroupLookup(ObjectLookup* lookup) { ReleaseObject(lookup); }

}  // namespace

bool FindGroupRoot(SceneNode* node, SceneNode** root) {
  WalkLevel level = {};
  level.node = node;
  level.root = root;
  Protected<WalkLevel, FindGroupRootLevel, ReleaseLevel>(&level);
  return level.result;
}

bool IsStrictAncestor(SceneNode* node, SceneNode* target) {
  WalkLevel level = {};
  level.node = node;
  level.target = target;
  Protected<WalkLevel, IsStrictAncestorLevel, ReleaseLevel>(&level);
  return level.result;
}

bool InheritWeights(SceneNode* node, float* primary, float* secondary) {
  WalkLevel level = {};
  level.node = node;
  level.primary = primary;
  level.secondary = secondary;
  Protected<WalkLevel, InheritWeightsLevel, ReleaseLevel>(&level);
  return true;
}

bool LookupObjectWeights(SceneObjectList* list, std::int32_t index, bool zeroDefaults,
                         bool* secondStreak) {
  // Background and excluded pixels come in long runs: they are answered
  // without asking the host anything.
  if (index <= 0) return true;
  ObjectLookup lookup = {};
  lookup.list = list;
  lookup.index = index;
  lookup.secondStreak = secondStreak;
  lookup.primary = zeroDefaults ? 0.0f : kDefaultWeight;
  lookup.secondary = lookup.primary;
  if (!Protected<ObjectLookup, LookupObjectWeightsBody, ReleaseObject>(&lookup)) {
    return lookup.primary >= kBlurThreshold;
  }
  return lookup.result;
}

bool SameOcclusionGroup(SceneObjectList* list, std::int32_t a, std::int32_t b, bool refresh) {
  if (a <= 0 || b <= 0 || a == b) return false;
  if (a == groupCache.lastA && b == groupCache.lastB && !refresh) return groupCache.lastResult;
  ObjectLookup lookup = {};
  lookup.list = list;
  lookup.index = a;
  lookup.other = b;
  Protected<ObjectLookup, SameOcclusionGroupBody, AbandonGroupLookup>(&lookup);
  return groupCache.lastResult;
}

GroupCache CurrentGroupCache() { return groupCache; }

}  // namespace qxv
