// Weight: the data component artists attach to scene nodes to decide which
// objects are blurred, which get the second streak, and which form one
// occlusion group.
#pragma once
#include <cstddef>
#include <cstdint>

#include "module/extension.h"

namespace qxv {

// The 12 bytes the host's user interface edits; the last three carry nothing.
struct WeightData {
  float primaryWeight;    // blurred at 3.0 or above
  float secondaryWeight;  // second streak at 5.0 or above
  std::uint8_t groupChildren;
  std::uint8_t padding[3];
};
static_assert(sizeof(WeightData) == 12, "WeightData is 12 bytes");
static_assert(offsetof(WeightData, secondaryWeight) == 4, "secondaryWeight at 4");
static_assert(offsetof(WeightData, groupChildren) == 8, "groupChildren at 8");

struct Weight;
struct WeightOps {
  QXV_EXTENSION_OPERATIONS(Weight);
};
QXV_EXTENSION_SLOTS(WeightOps);

struct Weight {
  const WeightOps* ops;
  std::int32_t refCount;
  WeightData data;
};

constexpr std::int32_t kWeightResourceId = 129;

// A new Weight from host memory with count 0 and the default values, or null.
Weight* NewWeight();
// Destroys an object whose count reached 0 (or that was never handed out).
void DestroyWeight(Weight* weight);

}  // namespace qxv
