// The reference frame's object pixels grouped by object, each group with a
// grid and a tree built on its first search. Built from host blocks none of
// which is larger than a limit: a 32-bit host rarely has one free range the
// size of the whole index (hundreds of megabytes at 4K and 8K), though it
// may have that much in all. An object too large for one block is split
// into parts, each a row-major stretch of its pixels in a block of its own.
#pragma once
#include <cstdint>

#include "kernel/host_blocks.h"
#include "kernel/match_grid.h"
#include "kernel/match_scan.h"
#include "kernel/match_tree.h"
#include "kernel/paged_array.h"

namespace qxv {

// One part of an object: its positions, and the tree and grid over them.
struct IndexPart {
  IndexPart* next;  // the object's next part; null after the last
  std::uint32_t count;
  std::uint32_t placed;  // positions written while grouping
  std::uint32_t* positions;
  TreeNode* nodes;
  std::uint32_t* cells;          // the grid's cells
  std::uint32_t* gridPositions;  // the positions grouped by cell
  std::uint32_t* gridValues;     // their match values, two to a position
  bool built;      // its tree
  bool gridBuilt;  // its grid
  MatchGrid grid;
};

struct IndexedObject {
  std::uint32_t objectIndex;
  std::uint32_t count;
  IndexPart* parts;
  IndexPart* filling;  // the part being laid out or filled while grouping
  ObjectBox box;       // its inclusive bounding box in the frame
  std::uint32_t lastAnswer;  // position found by the last search, for the next
};

// The frame the index describes: any other is searched by scanning.
struct ReferenceFrame {
  const std::uint32_t* tags;
  const std::uint32_t* match1;
  const std::uint32_t* match2;
  std::int32_t width, height;
};

struct MatchIndex {
  BlockChain blocks;  // every block of the index, this record's first
  ReferenceFrame frame;
  bool ready;  // grouping completed: a failure raised halfway leaves it false
  WorkMeter meter;
  std::uint32_t slotBits;
  PagedArray<std::uint32_t> slots;  // open addressing: object number + 1, 0 free
  PagedArray<IndexedObject> objects;
  std::uint32_t objectCount;
};

struct IndexPlan {
  std::uint32_t runs;    // row runs of one non-zero object index
  std::uint32_t pixels;  // pixels with a non-zero object index
  bool usable;           // positions and the tables can be addressed
};

// One pass over the tags, polling through meter.
IndexPlan PlanMatchIndex(const ReferenceFrame& frame, WorkMeter* meter);

// Builds the index from blocks of at most `largestBlock` bytes, asking for
// smaller ones when one is refused; null when no size is given. The first
// block (which holds the MatchIndex) is put in *holder as soon as it is had
// and every later one is chained to it, so that a host failure raised
// halfway leaves them all for ReleaseIndexBlocks(*holder).
MatchIndex* BuildMatchIndex(const IndexPlan& plan, const ReferenceFrame& frame,
                            const WorkMeter& meter, const BlockSource& source,
                            std::uint32_t largestBlock, MatchIndex** holder);

// Gives back every block of the index (which may be half built); null
// leaves nothing to do.
void ReleaseIndexBlocks(MatchIndex* index, const BlockSource& source);

// Null when the object has no pixel in the frame.
IndexedObject* FindIndexedObject(MatchIndex* index, std::uint32_t objectIndex);

// The nearest pixel of the object (which has at least one), as the match
// scan ranks them; builds the grids and trees of its parts on first use.
MatchCandidate NearestOfObject(MatchIndex* index, IndexedObject* object, std::uint32_t m1,
                               std::uint32_t m2);

}  // namespace qxv
