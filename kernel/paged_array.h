// An array spread over several host blocks, a power of two of elements to
// each page, so that reaching an element costs a shift and a mask, never a
// division.
#pragma once
#include <cstdint>

namespace qxv {

template <typename T>
struct PagedArray {
  T** pages;
  std::uint32_t shift;
  std::uint32_t mask;

  T& operator[](std::uint32_t i) const { return pages[i >> shift][i & mask]; }
};

// The shift of the largest page of `elementBytes` elements that fits in
// `room` bytes, and no larger than `count` needs; 32 when not even one
// element fits.
inline std::uint32_t PageShift(std::uint64_t count, std::uint64_t elementBytes,
                               std::uint64_t room) {
  if (elementBytes > room) return 32u;
  std::uint32_t shift = 0;
  while (shift < 31u && (1ull << shift) < count && (2ull << shift) * elementBytes <= room) {
    ++shift;
  }
  return shift;
}

inline std::uint64_t PageCount(std::uint64_t count, std::uint32_t shift) {
  return (count + (1ull << shift) - 1u) >> shift;
}

}  // namespace qxv
