// The reference frame's object pixels grouped by object, each group with a
// tree built on its first search. Lives in one block whose size is planned
// from the frame before it is taken, so that it can come from the host.
#pragma once
#include <cstdint>

#include "kernel/match_grid.h"
#include "kernel/match_scan.h"
#include "kernel/match_tree.h"

namespace qxv {

struct IndexedObject {
  std::uint32_t objectIndex;
  std::uint32_t first;  // into positions
  std::uint32_t count;
  std::uint32_t placed;  // positions written while grouping
  std::uint64_t firstNode;
  std::uint64_t firstCell;  // into cells
  ObjectBox box;  // its inclusive bounding box in the frame
  std::uint32_t lastAnswer;  // position found by the last search, for the next
  bool built;      // its tree
  bool gridBuilt;  // its grid
  MatchGrid grid;
};

// The frame the index describes: any other is searched by scanning.
struct ReferenceFrame {
  const std::uint32_t* tags;
  const std::uint32_t* match1;
  const std::uint32_t* match2;
  std::int32_t width, height;
};

struct MatchIndex {
  ReferenceFrame frame;
  bool ready;  // grouping completed: a failure raised halfway leaves it false
  WorkMeter meter;
  std::uint32_t slotBits;
  std::uint32_t* slots;  // open addressing: object number + 1, 0 free
  IndexedObject* objects;
  std::uint32_t objectCount;
  std::uint32_t* positions;
  TreeNode* nodes;
  std::uint32_t* cells;          // each object's grid cells
  std::uint32_t* gridPositions;  // each object's positions grouped by cell
  std::uint32_t* gridValues;     // their match values, two to a position
};

struct IndexPlan {
  std::uint32_t runs;    // row runs of one non-zero object index
  std::uint32_t pixels;  // pixels with a non-zero object index
  std::uint64_t bytes;   // of the block, 0 when too large to address
};

// One pass over the tags, polling through meter.
IndexPlan PlanMatchIndex(const ReferenceFrame& frame, WorkMeter* meter);

// Lays the index out in block (plan.bytes long, suitably aligned) and groups
// the frame's pixels; the block's first bytes are the MatchIndex.
MatchIndex* GroupMatchIndex(void* block, const IndexPlan& plan, const ReferenceFrame& frame,
                            const WorkMeter& meter);

// Null when the object has no pixel in the frame.
IndexedObject* FindIndexedObject(MatchIndex* index, std::uint32_t objectIndex);

// The nearest pixel of the object (which has at least one), as the match
// scan ranks them; builds the object's tree on first use.
MatchCandidate NearestOfObject(MatchIndex* index, IndexedObject* object, std::uint32_t m1,
                               std::uint32_t m2);

}  // namespace qxv
