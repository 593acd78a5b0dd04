#include "kernel/match_tree.h"

namespace qxv {
namespace {

constexpr std::uint32_t kLeafSize = 16;
constexpr std::uint32_t kAntipode = 0x80000000u;

std::uint32_t TreeDepth(std::uint32_t count) {
  std::uint32_t depth = 0;
  while (((static_cast<std::uint64_t>(count) + (1ull << depth) - 1u) >> depth) > kLeafSize) {
    ++depth;
  }
  return depth;
}

const std::uint32_t* Axis(const MatchPoints& points, int axis) {
  return axis == 0 ? points.match1 : points.match2;
}

struct Builder {
  std::uint32_t* positions;
  TreeNode* nodes;
  MatchPoints points;
  std::uint32_t depth;
  WorkMeter* meter;
};

void Swap(std::uint32_t* a, std::uint32_t i, std::uint32_t j) {
  const std::uint32_t t = a[i];
  a[i] = a[j];
  a[j] = t;
}

std::uint32_t MedianOfThree(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  if (a > b) { const std::uint32_t t = a; a = b; b = t; }
  if (b > c) b = c;
  return a > b ? a : b;
}

// Moves the k-th smallest value of positions[lo, hi) to k, smaller or equal
// ones before it, larger or equal ones after. The three-way split keeps
// runs of equal values (flat match channels) from stalling.
void Select(const Builder& b, std::uint32_t lo, std::uint32_t hi, std::uint32_t k, int axis) {
  std::uint32_t* a = b.positions;
  const std::uint32_t* v = Axis(b.points, axis);
  while (hi - lo > 1) {
    const std::uint32_t pivot = MedianOfThree(v[a[lo]], v[a[lo + (hi - lo) / 2]], v[a[hi - 1]]);
    std::uint32_t less = lo, i = lo, greater = hi;
    while (i < greater) {
      const std::uint32_t value = v[a[i]];
      if (value < pivot) {
        Swap(a, less++, i++);
      } else if (value > pivot) {
        Swap(a, i, --greater);
      } else {
        ++i;
      }
    }
    Meter(b.meter, hi - lo);
    if (k < less) {
      hi = less;
    } else if (k >= greater) {
      lo = greater;
    } else {
      return;
    }
  }
}

void Enclose(const Builder& b, std::uint32_t node, std::uint32_t lo, std::uint32_t hi) {
  TreeNode n = {0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u, 0xFFFFFFFFu};
  for (std::uint32_t i = lo; i < hi; ++i) {
    const std::uint32_t position = b.positions[i];
    const std::uint32_t v1 = b.points.match1[position], v2 = b.points.match2[position];
    if (v1 < n.lo1) n.lo1 = v1;
    if (v1 > n.hi1) n.hi1 = v1;
    if (v2 < n.lo2) n.lo2 = v2;
    if (v2 > n.hi2) n.hi2 = v2;
    if (position < n.minPosition) n.minPosition = position;
  }
  b.nodes[node] = n;
  Meter(b.meter, hi - lo);
}

TreeNode Union(const TreeNode& a, const TreeNode& b) {
  return TreeNode{a.lo1 < b.lo1 ? a.lo1 : b.lo1, a.hi1 > b.hi1 ? a.hi1 : b.hi1,
                  a.lo2 < b.lo2 ? a.lo2 : b.lo2, a.hi2 > b.hi2 ? a.hi2 : b.hi2,
                  a.minPosition < b.minPosition ? a.minPosition : b.minPosition};
}

// Splits on the wider side of `outline`, a box around the node's points
// (exact at the root, narrowed by each split on the way down); the exact
// boxes are gathered bottom-up, so each point is read once for them.
void BuildNode(const Builder& b, std::uint32_t node, std::uint32_t lo, std::uint32_t hi,
               std::uint32_t level, const TreeNode& outline) {
  if (level == b.depth) {
    Enclose(b, node, lo, hi);
    return;
  }
  const int axis = outline.hi1 - outline.lo1 >= outline.hi2 - outline.lo2 ? 0 : 1;
  const std::uint32_t mid = lo + (hi - lo) / 2;
  Select(b, lo, hi, mid, axis);
  const std::uint32_t split = Axis(b.points, axis)[b.positions[mid]];
  TreeNode left = outline, right = outline;
  if (axis == 0) {
    left.hi1 = right.lo1 = split;
  } else {
    left.hi2 = right.lo2 = split;
  }
  BuildNode(b, 2 * node, lo, mid, level + 1, left);
  BuildNode(b, 2 * node + 1, mid, hi, level + 1, right);
  b.nodes[node] = Union(b.nodes[2 * node], b.nodes[2 * node + 1]);
}

struct Search {
  const std::uint32_t* positions;
  const TreeNode* nodes;
  MatchPoints points;
  std::uint32_t depth;
  std::uint32_t m1, m2;
  std::uint64_t bestDistance;
  std::uint32_t bestPosition;
  WorkMeter* meter;
};

// The wrapping distance to a value in [lo, hi]: an arc of the circle that
// excludes q is nearest at one of its ends.
std::uint64_t AxisBound(std::uint32_t q, std::uint32_t lo, std::uint32_t hi) {
  if (q >= lo && q <= hi) return 0u;
  const std::uint32_t toLo = MatchDelta(lo, q), toHi = MatchDelta(hi, q);
  return toLo < toHi ? toLo : toHi;
}

std::uint64_t Bound(const Search& s, const TreeNode& n) {
  return AxisBound(s.m1, n.lo1, n.hi1) + AxisBound(s.m2, n.lo2, n.hi2);
}

// Nothing below the node can come before the best so far: only a strictly
// larger bound, or an equal one with only later positions, rules it out.
bool Beaten(const Search& s, const TreeNode& n, std::uint64_t bound) {
  return bound > s.bestDistance || (bound == s.bestDistance && n.minPosition >= s.bestPosition);
}

// Unwrapped sum: two deltas of 2^31 count 2^32 here (see NearestInTree).
void Consider(Search& s, std::uint32_t position) {
  const std::uint64_t d = static_cast<std::uint64_t>(MatchDelta(s.points.match1[position], s.m1)) +
                          MatchDelta(s.points.match2[position], s.m2);
  if (d < s.bestDistance || (d == s.bestDistance && position < s.bestPosition)) {
    s.bestDistance = d;
    s.bestPosition = position;
  }
}

void ScanLeaf(Search& s, std::uint32_t lo, std::uint32_t hi) {
  for (std::uint32_t i = lo; i < hi; ++i) Consider(s, s.positions[i]);
  Meter(s.meter, hi - lo);
}

void Descend(Search& s, std::uint32_t node, std::uint32_t lo, std::uint32_t hi,
             std::uint32_t level) {
  Meter(s.meter, 1);
  if (level == s.depth) {
    ScanLeaf(s, lo, hi);
    return;
  }
  const std::uint32_t mid = lo + (hi - lo) / 2;
  const TreeNode& left = s.nodes[2 * node];
  const TreeNode& right = s.nodes[2 * node + 1];
  const std::uint64_t leftBound = Bound(s, left), rightBound = Bound(s, right);
  const bool leftFirst = leftBound < rightBound ||
                         (leftBound == rightBound && left.minPosition <= right.minPosition);
  if (leftFirst) {
    if (!Beaten(s, left, leftBound)) Descend(s, 2 * node, lo, mid, level + 1);
    if (!Beaten(s, right, rightBound)) Descend(s, 2 * node + 1, mid, hi, level + 1);
  } else {
    if (!Beaten(s, right, rightBound)) Descend(s, 2 * node + 1, mid, hi, level + 1);
    if (!Beaten(s, left, leftBound)) Descend(s, 2 * node, lo, mid, level + 1);
  }
}

}  // namespace

void Meter(WorkMeter* meter, std::uint32_t units) {
  meter->work += units;
  while (meter->work >= kPollWork) {
    meter->work -= kPollWork;
    if (meter->poll) meter->poll(meter->pollContext);
  }
}

std::uint64_t TreeNodeCount(std::uint32_t count) { return 2ull << TreeDepth(count); }

// A tree of at most kLeafSize points has 2 slots; a larger one has
// 2^depth < 2 count / kLeafSize leaves, so fewer than 4 count / kLeafSize slots.
std::uint64_t TreeNodeBudget(std::uint64_t trees, std::uint64_t points) {
  return 2u * trees + 4u * points / kLeafSize + 1u;
}

void BuildTree(std::uint32_t* positions, std::uint32_t count, TreeNode* nodes,
               const MatchPoints& points, WorkMeter* meter) {
  const Builder b = {positions, nodes, points, TreeDepth(count), meter};
  Enclose(b, 1, 0, count);
  const TreeNode root = nodes[1];
  BuildNode(b, 1, 0, count, 0, root);
}

// The descent ranks the tree's points by their unwrapped distance and
// `best` by its wrapped one; the two differ only for a pixel whose deltas are
// both 2^31, unwrapped 2^32 and wrapped 0, which the descent never takes
// before anything. Whatever ranks before `best` wrapped is then either found
// by the descent (it ranks before it unwrapped too) or such a pixel, which
// the second search looks for.
RankedPoint NearestInTree(const std::uint32_t* positions, std::uint32_t count,
                          const TreeNode* nodes, const MatchPoints& points, std::uint32_t m1,
                          std::uint32_t m2, RankedPoint best, WorkMeter* meter) {
  Search s = {positions,      nodes,         points, TreeDepth(count), m1, m2,
              best.distance,  best.position, meter};
  Descend(s, 1, 0, count, 0);
  // Two deltas of 2^31 sum to 0 in 32 bits: a pixel whose values are both
  // exactly opposite (m1, m2) ties with an exact match. Look for the earliest
  // such pixel before the best found, if that best is not already closer.
  Search opposite = s;
  opposite.m1 = m1 ^ kAntipode;
  opposite.m2 = m2 ^ kAntipode;
  opposite.bestDistance = 0u;
  opposite.bestPosition = s.bestDistance == 0u ? s.bestPosition : 0xFFFFFFFFu;
  const std::uint32_t bar = opposite.bestPosition;
  if (!Beaten(opposite, nodes[1], Bound(opposite, nodes[1]))) Descend(opposite, 1, 0, count, 0);
  if (opposite.bestPosition != bar) return RankedPoint{0u, opposite.bestPosition};
  // Found by the descent: an unwrapped distance below 2^32 is the wrapped one.
  return RankedPoint{s.bestDistance, s.bestPosition};
}

}  // namespace qxv
