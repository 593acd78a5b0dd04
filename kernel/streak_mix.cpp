#include "kernel/streak_mix.h"

#include <limits>

namespace qxv {

float WeightMarked(float mainStrength, float altStrength) {
  const float numerator = 1.0f + altStrength;
  const float denominator = 1.0f + mainStrength;
  if (denominator == 0.0f) {
    // The IEEE quotient, spelt out so that no build traps on the division.
    // 1 + x is +0 whenever it is zero, so the sign comes from the numerator.
    if (numerator > 0.0f) return std::numeric_limits<float>::infinity();
    if (numerator < 0.0f) return -std::numeric_limits<float>::infinity();
    return std::numeric_limits<float>::quiet_NaN();
  }
  return numerator / denominator;
}

}  // namespace qxv
