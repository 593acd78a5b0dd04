// ToInt32 truncates toward zero, gives 0 for NaN and saturates beyond the
// 32-bit range: the values at and around each edge, where the processor's
// own truncation answers "indefinite" and the slow path must take over.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "kernel/float_to_int.h"

namespace qxv {
namespace {

struct Case {
  double value;
  std::int32_t expected;
};

TEST(FloatToIntTest, TruncatesSaturatesAndZeroesNaN) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0.0, 0},
      {-0.0, 0},
      {0.9999, 0},
      {-0.9999, 0},
      {254.99999999999997, 254},
      {-7.5, -7},
      {2147483647.0, kMax},
      {2147483647.75, kMax},
      {2147483648.0, kMax},
      {1e300, kMax},
      {inf, kMax},
      {-2147483647.5, -2147483647},
      {-2147483648.0, kMin},
      {-2147483648.5, kMin},
      {-2147483649.0, kMin},
      {-inf, kMin},
      {std::nan(""), 0},
      {-std::nan(""), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToInt32(c.value), c.expected) << "value " << c.value;
  }
}

}  // namespace
}  // namespace qxv
