// The scan at the heart of the previous-frame search: over plain arrays of
// the reference frame, find the pixel of one object whose two match values
// lie closest to the ones looked for.
#pragma once
#include <cstdint>

namespace qxv {

struct ObjectBox {
  std::int32_t rowMin, rowMax, colMin, colMax;  // inclusive; all -1: none
};
constexpr ObjectBox kNoBox = {-1, -1, -1, -1};

// |a - b| of the wrapping 32-bit signed difference, in unsigned arithmetic
// (a difference of -2^31 gives 2^31). Inline: the searches' innermost step.
inline std::uint32_t MatchDelta(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t d = a - b;
  return (d & 0x80000000u) != 0u ? 0u - d : d;
}

struct MatchCandidate {
  bool found;
  std::int32_t x, y;  // column and row; 0 when nothing was found
};

// May raise a host failure (longjmp): the scan holds nothing that needs
// destroying.
using PollCallback = void (*)(void* context);

// Scans rows rowFirst..rowLast and columns colFirst..colLast (inclusive; an
// empty region, or one starting at a negative row or column such as the none
// box, visits nothing), row-major, for pixels whose TagIndex(tag) equals
// objectIndex. Per such pixel: poll(pollContext), extend *box, and rank by
// dist = MatchDelta(match1, m1) + MatchDelta(match2, m2) (wrapping); later
// pixels replace the best only when strictly closer. With stopAtExact the
// scan ends once the best has both deltas 0. stride is the row length in
// elements. box and poll may be null.
MatchCandidate ScanForMatch(const std::uint32_t* tags, const std::uint32_t* match1,
                            const std::uint32_t* match2, std::int32_t stride, std::int32_t rowFirst,
                            std::int32_t rowLast, std::int32_t colFirst, std::int32_t colLast,
                            std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                            bool stopAtExact, ObjectBox* box, PollCallback poll, void* pollContext);

}  // namespace qxv
