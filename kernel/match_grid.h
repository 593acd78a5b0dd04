// A uniform grid over the match values of one object's reference pixels:
// with every value of the object (and the one looked for) within half the
// 32-bit circle of each other, distances are plain differences and the
// nearest pixel is found in the few cells around the query.
#pragma once
#include <cstdint>

#include "kernel/match_tree.h"

namespace qxv {

struct MatchGrid {
  std::uint32_t lo1, hi1, lo2, hi2;  // the values' range in the grid's frame (linear, inclusive)
  std::uint32_t columns, rows;
  std::uint32_t* cellStart;          // columns * rows + 1 entries into positions
  std::uint32_t* positions;          // grouped by cell
  std::uint32_t* values;             // match1, match2 of each of positions in the grid's frame
  // An axis's frame is its values less `origin`, chosen so that the range
  // sits in the middle of the 32-bit numbers, half the spare circle on
  // either side. A query just outside the range then stays a plain number
  // beside it: match values that stand for small signed numbers straddle 0,
  // and a pixel whose previous position lies left of the picture looks for
  // one just below an object's values. The wrapping delta of two values is
  // the same in every frame.
  std::uint32_t origin1, origin2;
  std::uint8_t shift1, shift2;       // cell widths 2^shift (small, so that a part keeps its size)
  bool usable;                       // both ranges under half the circle
};

// Cells the grid of `count` points may take, at most: for the block's plan.
std::uint64_t GridCellBudget(std::uint32_t count);

// Lays the grid out over the object's points; cellStart, positions and
// values must hold GridCellBudget(count) + 1, count and 2 * count entries.
// The values are copied beside the positions so that a query reads each
// cell's candidates from one stretch of memory.
void BuildGrid(const std::uint32_t* objectPositions, std::uint32_t count,
               const MatchPoints& points, std::uint32_t* cellStart, std::uint32_t* positions,
               std::uint32_t* values, MatchGrid* grid, WorkMeter* meter);

// Whether the grid answers this query: its values and the ones looked for
// lie within half the 32-bit circle of each other on both axes.
bool GridAnswers(const MatchGrid& grid, std::uint32_t m1, std::uint32_t m2);

// The first, as RankedPoint ranks them, of `best` (a pixel found before,
// anywhere in the frame, or kNoPoint) and the grid's points; only for a
// query the grid answers. A good `best` only speeds the search up.
RankedPoint NearestInGrid(const MatchGrid& grid, std::uint32_t m1, std::uint32_t m2,
                          RankedPoint best, WorkMeter* meter);

}  // namespace qxv
