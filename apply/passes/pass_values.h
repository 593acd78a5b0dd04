// What the passes' samples become in the module's 32-bit buffers. Every
// conversion takes any value, NaN and infinities included, as documented
// in pblur --help.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "apply/input/channel_image.h"

namespace qxv::apply {

// Object numbers for the module, the same for the same index in every
// frame: the renderer's indexes may be any integer or float values, and the
// module wants small ones. 0, negative, NaN and infinite indexes are
// background; float indexes are rounded to the nearest whole number.
class ObjectNumbers {
 public:
  std::vector<std::uint32_t> Number(const ChannelImage& pass);
  std::uint32_t Count() const { return static_cast<std::uint32_t>(numbers_.size()); }
  // The rounded index each number stands for.
  const std::map<double, std::uint32_t>& Numbers() const { return numbers_; }

 private:
  std::map<double, std::uint32_t> numbers_;
};

// Match values as stored: integers as they are (at most 2^32 - 1), floats
// truncated toward zero, NaN as 0, saturating.
std::vector<std::uint32_t> MatchValues(const ChannelImage& pass);

// Depth, larger is farther: integers as they are (at most 2^31 - 1);
// floats in their order, with negative values as 0 and NaN and infinity
// farthest.
std::vector<std::uint32_t> DepthValues(const ChannelImage& pass);

// 1 where the sample is non-zero (NaN counts as zero), else 0.
std::vector<std::uint32_t> AlternateValues(const ChannelImage& pass);

// Both match values from a UV pass: each coordinate's fraction scaled to
// the full 32-bit range, so that 0 and 1 are one value and a seam wraps.
// NaN and infinite coordinates give 0. Renderers filter UV like colour, so
// on an object's silhouette it mixes the surfaces the pixel covers and
// would match a far point: a silhouette pixel (one with a 4-neighbour of
// another object) takes the UV of a neighbour of its own object inside the
// silhouette, where there is one.
void UvMatchValues(const ChannelImage& pass, const std::vector<std::uint32_t>& objects,
                   std::vector<std::uint32_t>* match1, std::vector<std::uint32_t>* match2);

}  // namespace qxv::apply
