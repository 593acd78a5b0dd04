#include "weight/jitter.h"

namespace qxv {
namespace {

// A fixed linear congruential generator rather than the platform's rand():
// the streaks of a jittered render must come out the same on every platform.
thread_local std::uint32_t jitterState = 1u;

std::uint32_t NextJitterValue() {
  jitterState = jitterState * 1103515245u + 12345u;
  return (jitterState >> 16) & 0x7FFFu;
}

}  // namespace

double JitterFactor(bool enabled) {
  if (!enabled) return 1.0;
  return 2.0 * NextJitterValue() / 32767.0;
}

std::uint32_t JitterState() { return jitterState; }

void SetJitterState(std::uint32_t state) { jitterState = state; }

}  // namespace qxv
