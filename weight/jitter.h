// The jitter generator behind the streak painter's random step lengths.
#pragma once
#include <cstdint>

namespace qxv {

// 1.0 when not enabled, without touching the generator; otherwise a factor
// from 0.0 to 2.0 drawn from the generator.
double JitterFactor(bool enabled);

// The calling thread's generator state. The module itself never reseeds it;
// these are for tests and for runs that must be reproducible.
std::uint32_t JitterState();
void SetJitterState(std::uint32_t state);

}  // namespace qxv
