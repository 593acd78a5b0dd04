// BufferSet: the per-pixel render buffers of one frame, indexed by buffer kind.
#pragma once
#include <cstdint>

#include "host/unknown.h"

namespace qxv {

// An array of interface pointers; entry i is present when bit i of the needs
// mask was set, null otherwise.
using BufferSet = Unknown* const*;

enum BufferKind : int {
  kDepthBuffer = 0,        // unsigned depth
  kObjectIndexBuffer = 8,  // object index in bits 0-29
  kMatch1Buffer = 9,
  kMatch2Buffer = 10,
  kAlternateBuffer = 19,  // non-zero selects the alternate parameter set
  kBufferKindCount = 20,
};

constexpr std::uint32_t BufferBit(int kind) { return 1u << kind; }

}  // namespace qxv
