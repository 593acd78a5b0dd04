#include "kernel/streak_mix.h"

#include <limits>

namespace qxv {
namespace {

// The coverage is half the intensity's low byte (255 gives 127); an
// intensity outside 0..255 wraps like the low byte of its two's complement.
std::uint32_t NewSample(std::int32_t a, std::uint32_t colour) {
  const std::uint32_t coverage = (static_cast<std::uint32_t>(a) & 0xFFu & ~1u) << 23;
  return coverage + (colour & kColourBits);
}

std::uint32_t LargerChannel(std::uint32_t p, std::uint32_t q, int shift) {
  const std::uint32_t x = (p >> shift) & 0xFFu;
  const std::uint32_t y = (q >> shift) & 0xFFu;
  return (x > y ? x : y) << shift;
}

// Coverage times brightness, weighted: how strongly a sample shows in the
// secondary layer.
float Presence(std::uint32_t s, std::int32_t luma, float weight) {
  const std::int32_t product = static_cast<std::int32_t>(Coverage(s)) * luma;
  return static_cast<float>(product) * weight;
}

}  // namespace

// A sample's colour bits are the colour's, and Luma reads nothing else.
std::uint32_t MixMainSample(std::int32_t a, std::uint32_t colour, std::int32_t colourLuma,
                            std::uint32_t existing, bool outline) {
  const std::uint32_t sample = NewSample(a, colour);
  if (IsEmptyStreakPixel(existing) || (existing & kMarkBit) != 0u) {
    return outline ? (sample | kMarkBit) : sample;
  }
  if (outline) return existing;
  const std::int32_t existingDarkness =
      (256 - Luma(existing)) * static_cast<std::int32_t>(Coverage(existing));
  const std::int32_t sampleDarkness =
      (256 - colourLuma) * static_cast<std::int32_t>(Coverage(sample));
  return existingDarkness > sampleDarkness ? existing : sample;
}

float WeightMarked(float mainStrength, float altStrength) {
  const float numerator = 1.0f + altStrength;
  const float denominator = 1.0f + mainStrength;
  if (denominator == 0.0f) {
    // The IEEE quotient, spelt out so that no build traps on the division.
    // 1 + x is +0 whenever it is zero, so the sign comes from the numerator.
    if (numerator > 0.0f) return std::numeric_limits<float>::infinity();
    if (numerator < 0.0f) return -std::numeric_limits<float>::infinity();
    return std::numeric_limits<float>::quiet_NaN();
  }
  return numerator / denominator;
}

std::uint32_t MixSecondarySample(std::int32_t a, std::uint32_t mark, std::uint32_t colour,
                                 std::int32_t colourLuma, std::uint32_t existing,
                                 float weightMarked) {
  const std::uint32_t markBit = mark != 0u ? kMarkBit : 0u;
  const std::uint32_t sample = NewSample(a, colour);
  if (IsEmptyStreakPixel(existing)) return sample | markBit;

  const bool existingMarked = (existing & kMarkBit) != 0u;
  const float e = Presence(existing, Luma(existing), existingMarked ? weightMarked : 1.0f);
  const float s = Presence(sample, colourLuma, markBit != 0u ? weightMarked : 1.0f);

  if (existingMarked && markBit == 0u) {
    // An unmarked sample never removes a marked one; at most it brightens
    // its colour.
    if (!(e < s)) return existing;
    return kMarkBit | (existing & kCoverageBits) | LargerChannel(existing, sample, 16) |
           LargerChannel(existing, sample, 8) | LargerChannel(existing, sample, 0);
  }
  // Ties and NaN weights go to the new sample.
  if (e > s) return existing | markBit;
  return sample | markBit;
}

}  // namespace qxv
