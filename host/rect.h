// Rectangles of the host's buffers: top, left, bottom, right; bottom and right exclusive.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qxv {

struct Rect16 {
  std::int16_t top;
  std::int16_t left;
  std::int16_t bottom;
  std::int16_t right;
};
static_assert(sizeof(Rect16) == 8, "Rect16 is 8 bytes");
static_assert(offsetof(Rect16, left) == 2 && offsetof(Rect16, bottom) == 4 &&
                  offsetof(Rect16, right) == 6,
              "Rect16 field order");

struct Rect32 {
  std::int32_t top;
  std::int32_t left;
  std::int32_t bottom;
  std::int32_t right;
};
static_assert(sizeof(Rect32) == 16, "Rect32 is 16 bytes");
static_assert(offsetof(Rect32, left) == 4 && offsetof(Rect32, bottom) == 8 &&
                  offsetof(Rect32, right) == 12,
              "Rect32 field order");

}  // namespace qxv
