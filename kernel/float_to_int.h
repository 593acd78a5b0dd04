// The one conversion from floating point to integers used everywhere in the
// module: truncation toward zero, NaN gives 0, values beyond the target's
// range saturate. Plain casts of such values are undefined behaviour.
#pragma once
#include <cstdint>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QXV_HAVE_SSE2_TRUNCATE 1
#endif

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

inline std::int32_t ToInt32(double value) {
#ifdef QXV_HAVE_SSE2_TRUNCATE
  // The processor's truncation is defined for every input: it gives INT_MIN
  // for NaN and for anything out of range. Only that one answer needs the
  // checks; every other is already the exact truncation. Painting converts
  // several values per pixel, so the common case is one instruction.
  const std::int32_t t = _mm_cvttsd_si32(_mm_set_sd(value));
  if (t != std::numeric_limits<std::int32_t>::min()) return t;
#endif
  return SaturatingTruncate<std::int32_t>(value);
}
inline std::int32_t ToInt32(long double value) {
  return SaturatingTruncate<std::int32_t>(value);
}

}  // namespace qxv
