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

// The position whose distance to (m1, m2) is smallest, the earliest
// position among equals: distance as the match scan measures it,
// MatchDelta(v1, m1) + MatchDelta(v2, m2) wrapping in 32 bits. The search
// starts from the best of `guesses` (positions of the tree's points, likely
// near the answer), which only speeds it up.
std::uint32_t NearestInTree(const std::uint32_t* positions, std::uint32_t count,
                            const TreeNode* nodes, const MatchPoints& points, std::uint32_t m1,
                            std::uint32_t m2, const std::uint32_t* guesses, int guessCount,
                            WorkMeter* meter);

}  // namespace qxv
