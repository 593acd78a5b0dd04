// 16-byte interface and class identifiers, compared as whole values.
#pragma once
#include <cstdint>
#include <cstring>

namespace qxv {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16, "identifiers are 16 bytes");

inline bool SameGuid(const Guid& a, const Guid& b) {
  return std::memcmp(&a, &b, sizeof(Guid)) == 0;
}

}  // namespace qxv
