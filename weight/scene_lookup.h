// Turns object indices into blur decisions by walking the host's scene tree
// upward from an object's node and reading the Weight components found there.
#pragma once
#include <cstdint>

#include "host/scene.h"

namespace qxv {

constexpr float kBlurThreshold = 3.0f;
constexpr float kSecondStreakThreshold = 5.0f;
constexpr float kDefaultWeight = 5.0f;

// True when the object's pixels are blurred. Writes *secondStreak (not for
// an index outside 1..count, nor when a failure passed through).
// zeroDefaults: objects without any applicable Weight count as weight 0.
bool LookupObjectWeights(SceneObjectList* list, std::int32_t index, bool zeroDefaults,
                         bool* secondStreak);

// True when the nearest strict ancestor of a's node whose Weight has
// groupChildren set is also an ancestor of b's node. Remembers the last pair
// module-wide; refresh asks the scene again for the same pair.
bool SameOcclusionGroup(SceneObjectList* list, std::int32_t a, std::int32_t b, bool refresh);

// The remembered pair, for tests.
struct GroupCache {
  std::int32_t lastA;
  std::int32_t lastB;
  bool lastResult;
};
GroupCache CurrentGroupCache();

// Walks over strict ancestors; each level is its own protected block.
bool FindGroupRoot(SceneNode* node, SceneNode** root);
bool IsStrictAncestor(SceneNode* node, SceneNode* target);
bool InheritWeights(SceneNode* node, float* primary, float* secondary);

}  // namespace qxv
