#include "kernel/match_grid.h"

namespace qxv {
namespace {

constexpr std::uint32_t kHalfCircle = 0x80000000u;
constexpr std::uint64_t kFar = ~0ull;

// About two points to a cell: a side of ceil(sqrt(count / 2)) cells.
std::uint32_t TargetSide(std::uint32_t count) {
  std::uint32_t side = 1;
  while (2ull * side * side < count) ++side;
  return side;
}

// The smallest shift that spreads `range + 1` values over at most `side` cells.
std::uint32_t ShiftFor(std::uint32_t range, std::uint32_t side) {
  std::uint32_t shift = 0;
  while (shift < 32 && (static_cast<std::uint64_t>(range) >> shift) + 1u > side) ++shift;
  return shift;
}

// A pixel with match values (v1, v2) at `position`, against the best so
// far. Within the grid no delta reaches 2^31 (GridAnswers), so the sum is
// the wrapped distance as well.
void Consider(std::uint32_t v1, std::uint32_t v2, std::uint32_t position, std::uint32_t m1,
              std::uint32_t m2, RankedPoint* best) {
  const std::uint64_t d = static_cast<std::uint64_t>(MatchDelta(v1, m1)) + MatchDelta(v2, m2);
  if (RanksBefore(d, position, *best)) *best = RankedPoint{d, position};
}

// From q to the nearest value of [lo, hi].
std::uint64_t RangeDistance(std::uint32_t q, std::uint32_t lo, std::uint32_t hi) {
  if (q < lo) return lo - q;
  return q > hi ? q - hi : 0u;
}

// Distances are differences here (see NearestInGrid): from q to the nearest
// grid cell of index `index` or below, and of index or above; kFar when the
// grid has none.
std::uint64_t DistanceBelow(std::uint32_t q, std::uint32_t lo, std::uint32_t shift,
                            std::int64_t index, std::uint32_t cells) {
  if (index < 0) return kFar;
  if (index >= static_cast<std::int64_t>(cells)) index = cells - 1;
  const std::uint64_t top = static_cast<std::uint64_t>(lo) +
                            ((static_cast<std::uint64_t>(index) + 1u) << shift) - 1u;
  return q > top ? q - top : 0u;
}

std::uint64_t DistanceAbove(std::uint32_t q, std::uint32_t lo, std::uint32_t shift,
                            std::int64_t index, std::uint32_t cells) {
  if (index >= static_cast<std::int64_t>(cells)) return kFar;
  if (index < 0) index = 0;
  const std::uint64_t bottom = static_cast<std::uint64_t>(lo) +
                               (static_cast<std::uint64_t>(index) << shift);
  return bottom > q ? bottom - q : 0u;
}

// From q to the values of cell `index` of an axis.
std::uint64_t CellDistance(std::uint32_t q, std::uint32_t lo, std::uint32_t shift,
                           std::int64_t index) {
  const std::uint64_t bottom = static_cast<std::uint64_t>(lo) +
                               (static_cast<std::uint64_t>(index) << shift);
  const std::uint64_t top = bottom + (std::uint64_t{1} << shift) - 1u;
  if (q < bottom) return bottom - q;
  return q > top ? q - top : 0u;
}

// The query's cell index, outside [0, cells) when it lies outside the range.
std::int64_t CellOf(std::uint32_t q, std::uint32_t lo, std::uint32_t shift) {
  const std::int64_t offset = static_cast<std::int64_t>(q) - static_cast<std::int64_t>(lo);
  return offset >= 0 ? offset >> shift : -((-offset + (std::int64_t{1} << shift) - 1) >> shift);
}

// How many cells lie between the query's cell and the grid along one axis.
std::int64_t Outside(std::int64_t c, std::uint32_t cells) {
  if (c < 0) return -c;
  return c >= static_cast<std::int64_t>(cells) ? c - cells + 1 : 0;
}

// The span of values from `lo` to `hi`, stretched to take in q.
std::uint64_t SpanWith(std::uint32_t q, std::uint32_t lo, std::uint32_t hi) {
  return static_cast<std::uint64_t>(q > hi ? q : hi) - (q < lo ? q : lo);
}

std::uint64_t Min(std::uint64_t a, std::uint64_t b) { return a < b ? a : b; }

// One axis's range of values as they are and turned by half the circle.
struct AxisRange {
  std::uint32_t lo, hi, turnedLo, turnedHi;
};

void Widen(AxisRange* r, std::uint32_t v) {
  if (v < r->lo) r->lo = v;
  if (v > r->hi) r->hi = v;
  const std::uint32_t t = v ^ kHalfCircle;
  if (t < r->turnedLo) r->turnedLo = t;
  if (t > r->turnedHi) r->turnedHi = t;
}

// The axis's frame: the arc from the plain range's low end when the plain
// range lies within half the circle, else from the turned range's (values
// that straddle 0); false when neither does. The arc is placed in the
// middle of the 32-bit numbers.
bool Settle(const AxisRange& r, std::uint32_t* origin, std::uint32_t* lo, std::uint32_t* hi) {
  const bool plain = r.hi - r.lo < kHalfCircle;
  const std::uint32_t first = plain ? r.lo : r.turnedLo ^ kHalfCircle;
  const std::uint32_t span = plain ? r.hi - r.lo : r.turnedHi - r.turnedLo;
  *lo = kHalfCircle - span / 2u;
  *hi = *lo + span;
  *origin = first - *lo;
  return span < kHalfCircle;
}

}  // namespace

std::uint64_t GridCellBudget(std::uint32_t count) {
  const std::uint64_t side = TargetSide(count);
  return side * side;
}

void BuildGrid(const std::uint32_t* objectPositions, std::uint32_t count,
               const MatchPoints& points, std::uint32_t* cellStart, std::uint32_t* positions,
               std::uint32_t* values, MatchGrid* grid, WorkMeter* meter) {
  MatchGrid g = {0u, 0u, 0u, 0u, 0u, 0u, cellStart, positions, values, 0u, 0u, 0u, 0u, false};
  AxisRange r1 = {0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u}, r2 = r1;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t p = objectPositions[i];
    Widen(&r1, points.match1[p]);
    Widen(&r2, points.match2[p]);
  }
  Meter(meter, count);
  const bool settled1 = Settle(r1, &g.origin1, &g.lo1, &g.hi1);
  const bool settled2 = Settle(r2, &g.origin2, &g.lo2, &g.hi2);
  g.usable = count > 0 && settled1 && settled2;
  if (!g.usable) {
    *grid = g;
    return;
  }
  const std::uint32_t origin1 = g.origin1, origin2 = g.origin2;
  const std::uint32_t side = TargetSide(count);
  g.shift1 = static_cast<std::uint8_t>(ShiftFor(g.hi1 - g.lo1, side));
  g.shift2 = static_cast<std::uint8_t>(ShiftFor(g.hi2 - g.lo2, side));
  g.columns = ((g.hi1 - g.lo1) >> g.shift1) + 1u;
  g.rows = ((g.hi2 - g.lo2) >> g.shift2) + 1u;
  const std::uint32_t cells = g.columns * g.rows;
  for (std::uint32_t c = 0; c <= cells; ++c) cellStart[c] = 0u;
  const auto cellOf = [&](std::uint32_t p) {
    return (((points.match2[p] - origin2) - g.lo2) >> g.shift2) * g.columns +
           (((points.match1[p] - origin1) - g.lo1) >> g.shift1);
  };
  for (std::uint32_t i = 0; i < count; ++i) ++cellStart[cellOf(objectPositions[i]) + 1u];
  for (std::uint32_t c = 0; c < cells; ++c) cellStart[c + 1u] += cellStart[c];
  // Placing moves each cell's start to its end; shift them back after.
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t p = objectPositions[i];
    positions[cellStart[cellOf(p)]++] = p;
  }
  for (std::uint32_t c = cells; c > 0; --c) cellStart[c] = cellStart[c - 1u];
  cellStart[0] = 0u;
  for (std::uint32_t i = 0; i < count; ++i) {
    values[2u * i] = points.match1[positions[i]] - origin1;
    values[2u * i + 1u] = points.match2[positions[i]] - origin2;
  }
  Meter(meter, 3u * count + cells);
  *grid = g;
}

bool GridAnswers(const MatchGrid& grid, std::uint32_t m1, std::uint32_t m2) {
  return grid.usable && SpanWith(m1 - grid.origin1, grid.lo1, grid.hi1) < kHalfCircle &&
         SpanWith(m2 - grid.origin2, grid.lo2, grid.hi2) < kHalfCircle;
}

// Rings of cells around the query's own, nearest first. Every value of the
// grid and the query lie within half the circle of each other (GridAnswers),
// so no wrapping difference of 2^31 (or more) can occur and a cell's
// distance is a plain difference. A ring whose nearest cell is farther than the best so
// far cannot hold a closer point, nor an equal one (which would need an
// equal distance): the search stops there.
RankedPoint NearestInGrid(const MatchGrid& g, std::uint32_t m1, std::uint32_t m2,
                          RankedPoint best, WorkMeter* meter) {
  // In the grid's frame, as its values are: every delta stays as it was.
  m1 -= g.origin1;
  m2 -= g.origin2;
  // A grid wholly farther than the best so far holds nothing before it: the
  // usual case for all but one of the pieces of an object split over blocks.
  if (RangeDistance(m1, g.lo1, g.hi1) + RangeDistance(m2, g.lo2, g.hi2) > best.distance) {
    Meter(meter, 1);
    return best;
  }
  const std::int64_t c1 = CellOf(m1, g.lo1, g.shift1), c2 = CellOf(m2, g.lo2, g.shift2);
  // No cell of the grid lies nearer (in cells) than this ring.
  const std::int64_t first = Outside(c1, g.columns) > Outside(c2, g.rows) ? Outside(c1, g.columns)
                                                                          : Outside(c2, g.rows);
  std::uint32_t visited = 0;
  for (std::int64_t k = first;; ++k) {
    if (k > first) {
      const std::uint64_t nearest =
          Min(Min(DistanceBelow(m1, g.lo1, g.shift1, c1 - k, g.columns),
                  DistanceAbove(m1, g.lo1, g.shift1, c1 + k, g.columns)),
              Min(DistanceBelow(m2, g.lo2, g.shift2, c2 - k, g.rows),
                  DistanceAbove(m2, g.lo2, g.shift2, c2 + k, g.rows)));
      if (nearest == kFar || nearest > best.distance) break;
    }
    const std::int64_t r0 = c2 - k < 0 ? 0 : c2 - k;
    const std::int64_t r1 = c2 + k >= g.rows ? g.rows - 1 : c2 + k;
    const std::int64_t q0 = c1 - k < 0 ? 0 : c1 - k;  // columns of the ring within the grid
    const std::int64_t q1 = c1 + k >= g.columns ? g.columns - 1 : c1 + k;
    for (std::int64_t r = r0; r <= r1; ++r) {
      const std::uint64_t rowDistance = CellDistance(m2, g.lo2, g.shift2, r);
      if (rowDistance > best.distance) continue;
      const bool edgeRow = r == c2 - k || r == c2 + k;
      // Inner rows of the ring hold only its two side cells.
      const std::int64_t step = edgeRow || k == 0 ? 1 : 2 * k;
      for (std::int64_t col = edgeRow ? q0 : c1 - k; col <= (edgeRow ? q1 : c1 + k);
           col += step) {
        if (col < q0 || col > q1) continue;
        // A cell farther than the best so far holds nothing closer or equal.
        if (rowDistance + CellDistance(m1, g.lo1, g.shift1, col) > best.distance) continue;
        const std::uint32_t cell = static_cast<std::uint32_t>(r) * g.columns +
                                   static_cast<std::uint32_t>(col);
        for (std::uint32_t i = g.cellStart[cell]; i < g.cellStart[cell + 1u]; ++i) {
          Consider(g.values[2u * i], g.values[2u * i + 1u], g.positions[i], m1, m2, &best);
        }
        visited += g.cellStart[cell + 1u] - g.cellStart[cell] + 1u;
      }
    }
  }
  Meter(meter, visited);
  return best;
}

}  // namespace qxv
