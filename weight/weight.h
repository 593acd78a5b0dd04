// Weight: the data component artists attach to scene nodes to decide which
// objects are blurred, which get the second streak, and which form one
// occlusion group.
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/generic_data.h"
#include "host/weight_data.h"

namespace qxv {

// The object behind the table: the count, then the data block.
struct Weight : GenericData {
  std::int32_t refCount;
  WeightData data;
};

constexpr std::int32_t kWeightResourceId = 129;

// A new Weight from host memory with count 0 and the default values, or null.
Weight* NewWeight();
// Destroys an object whose count reached 0 (or that was never handed out).
void DestroyWeight(Weight* weight);

}  // namespace qxv
