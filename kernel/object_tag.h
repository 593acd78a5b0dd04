// ObjectTag, one 32-bit value per pixel of this frame's tag buffer and of the
// reference: the host's object index and two flags the tagging adds.
#pragma once
#include <cstdint>

namespace qxv {

// Bits 0-29: the object index; 0 is background or an excluded object. The
// host's own bits 30 and 31 are never read.
constexpr std::uint32_t kTagIndexMask = 0x3FFFFFFFu;
// The pixel also gets the reverse streak.
constexpr std::uint32_t kSecondStreakBit = 0x40000000u;
// A direct neighbour belongs to another object.
constexpr std::uint32_t kOutlineBit = 0x80000000u;

inline std::uint32_t TagIndex(std::uint32_t tag) { return tag & kTagIndexMask; }

}  // namespace qxv
