// ParameterBlock: the 52 bytes of Pblur's parameters that the host's
// parameter interface edits in place as raw memory (GetData hands out its
// address; the host stores it with the scene).
#pragma once
#include <cstddef>
#include <cstdint>

namespace qxv {

// Four-character codes: first character in the most significant byte.
constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}
constexpr std::uint32_t kCommandDefault = FourCC("DEFO");
constexpr std::uint32_t kCommandNone = FourCC("NONE");
constexpr std::uint32_t kCommandAll = FourCC("ALLO");
constexpr std::uint32_t kCommandOptIn = FourCC("SELO");
constexpr std::uint32_t kCommandOptOut = FourCC("SELN");
static_assert(kCommandDefault == 0x4445464Fu, "DEFO");

enum BlurMode : std::int16_t {
  ModeNone = 1,
  ModeAll = 2,
  ModeOptIn = 3,
  ModeOptOut = 4,
};

// Byte flags are on when non-zero: the user interface may write any byte.
struct ParameterBlock {
  std::uint32_t commandCode;
  std::uint8_t secondaryLayer;
  std::uint8_t resetPending;
  std::uint8_t padding6[2];
  float streakLength;
  float mainStrength;
  float altLength;
  float altStrength;
  float echoCount;
  std::uint8_t jitter;
  std::uint8_t depthTest;
  std::uint8_t padding30[2];
  float reverseLength;
  std::uint8_t reservedFlag;
  std::uint8_t trails;
  std::uint8_t padding38[2];
  float trailFrames;
  float activeTrailFrames;
  std::int16_t mode;
  std::uint8_t padding50[2];
};
static_assert(sizeof(ParameterBlock) == 52, "ParameterBlock is 52 bytes");
static_assert(offsetof(ParameterBlock, commandCode) == 0, "commandCode");
static_assert(offsetof(ParameterBlock, secondaryLayer) == 4, "secondaryLayer");
static_assert(offsetof(ParameterBlock, resetPending) == 5, "resetPending");
static_assert(offsetof(ParameterBlock, streakLength) == 8, "streakLength");
static_assert(offsetof(ParameterBlock, mainStrength) == 12, "mainStrength");
static_assert(offsetof(ParameterBlock, altLength) == 16, "altLength");
static_assert(offsetof(ParameterBlock, altStrength) == 20, "altStrength");
static_assert(offsetof(ParameterBlock, echoCount) == 24, "echoCount");
static_assert(offsetof(ParameterBlock, jitter) == 28, "jitter");
static_assert(offsetof(ParameterBlock, depthTest) == 29, "depthTest");
static_assert(offsetof(ParameterBlock, reverseLength) == 32, "reverseLength");
static_assert(offsetof(ParameterBlock, reservedFlag) == 36, "reservedFlag");
static_assert(offsetof(ParameterBlock, trails) == 37, "trails");
static_assert(offsetof(ParameterBlock, trailFrames) == 40, "trailFrames");
static_assert(offsetof(ParameterBlock, activeTrailFrames) == 44, "activeTrailFrames");
static_assert(offsetof(ParameterBlock, mode) == 48, "mode");

}  // namespace qxv
