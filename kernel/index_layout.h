// How the match index lies in host blocks of at most a given size: first
// its record and its two tables, sized from the plan; then, once the objects
// are counted, their parts. Each block is asked for at the size of what it
// holds, so a small frame takes no more than it needs.
#pragma once
#include <cstdint>

#include "kernel/match_index.h"

namespace qxv {

struct LayoutOutcome {
  bool done;
  // When not done: the size of the block the host refused, or 0 when a
  // block of the limit cannot hold the index's largest indivisible piece.
  std::uint32_t refused;
};

// Sets *holder to the record as soon as its block is had, with the tables'
// pages in place and the slots empty. On failure the caller gives back the
// blocks chained to *holder.
LayoutOutcome LayOutDirectory(const IndexPlan& plan, const BlockSource& source,
                              std::uint32_t limit, MatchIndex** holder);

// Every counted object's parts, in row-major order of its pixels, in blocks
// chained after the directory's; each object's `filling` is left at its
// first part. On failure the caller gives back the blocks chained after
// the directory's.
LayoutOutcome LayOutParts(MatchIndex* index, const BlockSource& source, std::uint32_t limit);

// Row runs hash into 2^SlotBits slots, at most half of them used.
std::uint32_t SlotBits(std::uint32_t runs);

}  // namespace qxv
