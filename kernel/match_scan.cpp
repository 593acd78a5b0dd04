#include "kernel/match_scan.h"
#include "kernel/object_tag.h"

#include <cstddef>

namespace qxv {
namespace {

void Extend(ObjectBox* box, std::int32_t row, std::int32_t col) {
  if (box == nullptr) return;
  if (box->rowMin < 0 || box->colMin < 0) {
    *box = ObjectBox{row, row, col, col};
    return;
  }
  if (row < box->rowMin) box->rowMin = row;
  if (row > box->rowMax) box->rowMax = row;
  if (col < box->colMin) box->colMin = col;
  if (col > box->colMax) box->colMax = col;
}

}  // namespace

MatchCandidate ScanForMatch(const std::uint32_t* tags, const std::uint32_t* match1,
                            const std::uint32_t* match2, std::int32_t stride, std::int32_t rowFirst,
                            std::int32_t rowLast, std::int32_t colFirst, std::int32_t colLast,
                            std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                            bool stopAtExact, ObjectBox* box, PollCallback poll,
                            void* pollContext) {
  MatchCandidate best{false, 0, 0};
  if (rowFirst < 0 || colFirst < 0) return best;
  std::uint32_t bestDist = 0u;
  bool bestExact = false;
  // 64-bit counters: a last row or column of INT32_MAX must not overflow.
  for (std::int64_t row = rowFirst; row <= rowLast; ++row) {
    const std::int64_t rowStart = row * stride;
    for (std::int64_t col = colFirst; col <= colLast; ++col) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(rowStart + col);
      if ((tags[at] & kTagIndexMask) != objectIndex) continue;
      if (poll != nullptr) poll(pollContext);
      const std::int32_t r = static_cast<std::int32_t>(row);
      const std::int32_t c = static_cast<std::int32_t>(col);
      Extend(box, r, c);
      const std::uint32_t d1 = MatchDelta(match1[at], m1);
      const std::uint32_t d2 = MatchDelta(match2[at], m2);
      const std::uint32_t dist = d1 + d2;
      if (!best.found || dist < bestDist) {
        best = MatchCandidate{true, c, r};
        bestDist = dist;
        bestExact = d1 == 0u && d2 == 0u;
      }
      if (stopAtExact && bestExact) return best;
    }
  }
  return best;
}

}  // namespace qxv
