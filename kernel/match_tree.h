// A k-d tree over the match values of one object's reference pixels, giving
// the pixel the match scan would give without visiting the whole object.
#pragma once
#include <cstdint>

#include "kernel/match_scan.h"

namespace qxv {

// The reference frame's match values, addressed by row-major position.
struct MatchPoints {
  const std::uint32_t* match1;
  const std::uint32_t* match2;
};

// A pixel as the match scan ranks them: by its distance, MatchDelta(v1, m1)
// + MatchDelta(v2, m2) wrapping in 32 bits, then by the earlier row-major
// position. kNoPoint ranks after every pixel.
struct RankedPoint {
  std::uint64_t distance;
  std::uint32_t position;
};
constexpr RankedPoint kNoPoint = {~0ull, 0xFFFFFFFFu};

inline bool RanksBefore(std::uint64_t distance, std::uint32_t position, const RankedPoint& best) {
  return distance < best.distance || (distance == best.distance && position < best.position);
}

// The pixel at `position` in place of *best when it ranks before it.
inline void RankPoint(const MatchPoints& points, std::uint32_t position, std::uint32_t m1,
                      std::uint32_t m2, RankedPoint* best) {
  const std::uint32_t d = MatchDelta(points.match1[position], m1) +
                          MatchDelta(points.match2[position], m2);
  if (RanksBefore(d, position, *best)) *best = RankedPoint{d, position};
}

// Polls the host once per kPollWork units of work (a point or a node
// touched), however the work is split between calls.
struct WorkMeter {
  std::uint32_t work;
  PollCallback poll;
  void* pollContext;
};
constexpr std::uint32_t kPollWork = 2048;
void Meter(WorkMeter* meter, std::uint32_t units);

// Bounding box of a node's values (linear order of the unsigned values) and
// the earliest row-major position below it.
struct TreeNode {
  std::uint32_t lo1, hi1, lo2, hi2;
  std::uint32_t minPosition;
};

// Nodes a tree over `count` points (count >= 1) occupies: slot 0 is unused,
// node i has children 2i and 2i + 1, every leaf sits at the same depth.
std::uint64_t TreeNodeCount(std::uint32_t count);
// At least the sum of TreeNodeCount over `trees` trees of `points` in all.
std::uint64_t TreeNodeBudget(std::uint64_t trees, std::uint64_t points);

// Reorders positions[0, count) into the tree and fills nodes.
void BuildTree(std::uint32_t* positions, std::uint32_t count, TreeNode* nodes,
               const MatchPoints& points, WorkMeter* meter);

// The first, as RankedPoint ranks them, of `best` (a pixel found before,
// anywhere in the frame, or kNoPoint) and the tree's points. A good `best`
// only speeds the search up.
RankedPoint NearestInTree(const std::uint32_t* positions, std::uint32_t count,
                          const TreeNode* nodes, const MatchPoints& points, std::uint32_t m1,
                          std::uint32_t m2, RankedPoint best, WorkMeter* meter);

}  // namespace qxv
