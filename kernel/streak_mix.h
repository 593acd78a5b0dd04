// How a painted streak sample competes with the value already in a layer.
// Samples are never blended: one of the two values survives.
#pragma once
#include <cstdint>

#include "kernel/streak_pixel.h"

namespace qxv {

// The weight of marked samples against unmarked ones in the secondary layer,
// (1 + altStrength) / (1 + mainStrength) in single precision.
float WeightMarked(float mainStrength, float altStrength);

// The two mixers run for every painted pixel: defined here, so that the
// painter's walk inlines them. colourLuma is Luma(colour), worked out by
// the caller once: a streak paints one colour along its whole walk.

namespace mix_detail {

// The coverage is half the intensity's low byte (255 gives 127); an
// intensity outside 0..255 wraps like the low byte of its two's complement.
inline std::uint32_t NewSample(std::int32_t a, std::uint32_t colour) {
  const std::uint32_t coverage = (static_cast<std::uint32_t>(a) & 0xFFu & ~1u) << 23;
  return coverage + (colour & kColourBits);
}

inline std::uint32_t LargerChannel(std::uint32_t p, std::uint32_t q, int shift) {
  const std::uint32_t x = (p >> shift) & 0xFFu;
  const std::uint32_t y = (q >> shift) & 0xFFu;
  return (x > y ? x : y) << shift;
}

// Coverage times brightness, weighted: how strongly a sample shows in the
// secondary layer.
inline float Presence(std::uint32_t s, std::int32_t luma, float weight) {
  const std::int32_t product = static_cast<std::int32_t>(Coverage(s)) * luma;
  return static_cast<float>(product) * weight;
}

}  // namespace mix_detail

// Main layer: darker and denser samples win. An outline sample only fills
// empty or marked pixels, and marks what it writes there.
inline std::uint32_t MixMainSample(std::int32_t a, std::uint32_t colour, std::int32_t colourLuma,
                                   std::uint32_t existing, bool outline) {
  const std::uint32_t sample = mix_detail::NewSample(a, colour);
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

// Secondary layer: brighter and denser samples win, marked ones weighted by
// weightMarked. mark is 0 or kMarkBit.
inline std::uint32_t MixSecondarySample(std::int32_t a, std::uint32_t mark, std::uint32_t colour,
                                        std::int32_t colourLuma, std::uint32_t existing,
                                        float weightMarked) {
  const std::uint32_t markBit = mark != 0u ? kMarkBit : 0u;
  const std::uint32_t sample = mix_detail::NewSample(a, colour);
  if (IsEmptyStreakPixel(existing)) return sample | markBit;

  const bool existingMarked = (existing & kMarkBit) != 0u;
  const float e =
      mix_detail::Presence(existing, Luma(existing), existingMarked ? weightMarked : 1.0f);
  const float s = mix_detail::Presence(sample, colourLuma, markBit != 0u ? weightMarked : 1.0f);

  if (existingMarked && markBit == 0u) {
    // An unmarked sample never removes a marked one; at most it brightens
    // its colour.
    if (!(e < s)) return existing;
    return kMarkBit | (existing & kCoverageBits) |
           mix_detail::LargerChannel(existing, sample, 16) |
           mix_detail::LargerChannel(existing, sample, 8) |
           mix_detail::LargerChannel(existing, sample, 0);
  }
  // Ties and NaN weights go to the new sample.
  if (e > s) return existing | markBit;
  return sample | markBit;
}

}  // namespace qxv
