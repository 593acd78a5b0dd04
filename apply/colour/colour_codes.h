// How colour enters the module's 8 bits per channel and comes back. The
// module blurs sRGB-encoded codes. Where the output stores 8 or 16 bits,
// codes are the plain sRGB encoding of 0..1 (nothing brighter can be
// stored). Where it stores floats, the codes reach further: values up to
// kKnee are encoded exactly as plain sRGB, and the range above it is
// folded into the codes that plain sRGB gives to kKnee..1, so a streak of
// a highlight comes back brighter than 1.
#pragma once
#include <cstdint>

namespace qxv::apply {

enum class CodeRange {
  Display,   // 0..1, clamped
  Extended,  // 0 to about 28, the brightest code standing for all above
};

// Linear light where the extended range starts to fold.
constexpr double kKnee = 0.5;

// The code of a linear value: NaN and negative values are 0, +infinity
// the brightest code.
std::uint8_t EncodeLinear(double linear, CodeRange range);
// The linear value a code stands for; EncodeLinear gives the code back.
double DecodeLinear(std::uint8_t code, CodeRange range);

}  // namespace qxv::apply
