// WeightData: the 12 bytes of a Weight that the host's user interface edits
// in place (GetData hands out their address).
#pragma once
#include <cstddef>
#include <cstdint>

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

}  // namespace qxv
