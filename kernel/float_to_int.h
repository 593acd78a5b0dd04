// The one conversion from floating point to integers used everywhere in the
// module: truncation toward zero, NaN gives 0, values beyond the target's
// range saturate. Plain casts of such values are undefined behaviour.
#pragma once
#include <cstdint>
#include <limits>

namespace qxv {

template <typename Int, typename Float>
inline Int SaturatingTruncate(Float value) {
  static_assert(std::numeric_limits<Int>::is_integer, "integer target");
  if (!(value == value)) return 0;  // NaN
  // Bounds exactly representable in Float: -2^k and 2^k for k = digits.
  const Float upper = static_cast<Float>(std::numeric_limits<Int>::max() / 2 + 1) * Float(2);
  const Float lower = static_cast<Float>(std::numeric_limits<Int>::min());
  if (value >= upper) return std::numeric_limits<Int>::max();
  if (value <= lower) return std::numeric_limits<Int>::min();
  return static_cast<Int>(value);
}

inline std::int32_t ToInt32(double value) { return SaturatingTruncate<std::int32_t>(value); }
inline std::int32_t ToInt32(long double value) {
  return SaturatingTruncate<std::int32_t>(value);
}

}  // namespace qxv
