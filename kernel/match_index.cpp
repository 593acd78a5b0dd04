#include "kernel/match_index.h"

#include <cstddef>

#include "kernel/index_layout.h"
#include "kernel/object_tag.h"

namespace qxv {
namespace {

constexpr std::uint32_t kNoPosition = 0xFFFFFFFFu;

// A row's stretch of one non-zero object index.
struct Run {
  std::int32_t row, first, last;
  std::uint32_t objectIndex;
};

struct RunCursor {
  std::int32_t row, col;
};

bool NextRun(const ReferenceFrame& f, RunCursor* c, Run* run, WorkMeter* meter) {
  while (c->row < f.height) {
    const std::uint32_t* t = f.tags + static_cast<std::ptrdiff_t>(c->row) * f.width;
    while (c->col < f.width) {
      const std::uint32_t objectIndex = t[c->col] & kTagIndexMask;
      if (objectIndex == 0u) {
        ++c->col;
        continue;
      }
      const std::int32_t first = c->col;
      while (c->col < f.width && (t[c->col] & kTagIndexMask) == objectIndex) ++c->col;
      *run = Run{c->row, first, c->col - 1, objectIndex};
      return true;
    }
    Meter(meter, static_cast<std::uint32_t>(f.width));
    ++c->row;
    c->col = 0;
  }
  return false;
}

IndexedObject* Lookup(MatchIndex* index, std::uint32_t objectIndex, bool insert) {
  const std::uint32_t mask = (1u << index->slotBits) - 1u;
  std::uint32_t s = (objectIndex * 0x9E3779B1u) >> (32u - index->slotBits);
  while (index->slots[s] != 0u) {
    IndexedObject* o = &index->objects[index->slots[s] - 1u];
    if (o->objectIndex == objectIndex) return o;
    s = (s + 1u) & mask;
  }
  if (!insert) return nullptr;
  IndexedObject* o = &index->objects[index->objectCount];
  *o = IndexedObject{objectIndex, 0u, nullptr, nullptr, kNoBox, kNoPosition};
  index->slots[s] = ++index->objectCount;
  return o;
}

void Enclose(ObjectBox* box, const Run& r) {
  if (box->rowMin < 0) {
    *box = ObjectBox{r.row, r.row, r.first, r.last};
    return;
  }
  box->rowMax = r.row;  // rows arrive in order
  if (r.first < box->colMin) box->colMin = r.first;
  if (r.last > box->colMax) box->colMax = r.last;
}

void CountObjects(MatchIndex* index) {
  RunCursor c = {0, 0};
  Run r;
  while (NextRun(index->frame, &c, &r, &index->meter)) {
    IndexedObject* o = Lookup(index, r.objectIndex, true);
    o->count += static_cast<std::uint32_t>(r.last - r.first + 1);
    Enclose(&o->box, r);
  }
}

// Each object's positions in row-major order, part after part.
void PlacePositions(MatchIndex* index) {
  RunCursor c = {0, 0};
  Run r;
  IndexedObject* o = nullptr;
  while (NextRun(index->frame, &c, &r, &index->meter)) {
    if (!o || o->objectIndex != r.objectIndex) o = Lookup(index, r.objectIndex, false);
    std::uint32_t position = static_cast<std::uint32_t>(r.row) *
                                 static_cast<std::uint32_t>(index->frame.width) +
                             static_cast<std::uint32_t>(r.first);
    std::uint32_t left = static_cast<std::uint32_t>(r.last - r.first + 1);
    while (left > 0u) {
      IndexPart* part = o->filling;
      if (part->placed == part->count) part = o->filling = part->next;
      const std::uint32_t room = part->count - part->placed;
      const std::uint32_t take = left < room ? left : room;
      std::uint32_t* out = part->positions + part->placed;
      for (std::uint32_t i = 0; i < take; ++i) *out++ = position++;
      part->placed += take;
      left -= take;
    }
  }
}

// The part's nearest pixel ranked against the best so far; its grid (and,
// for a query the grid cannot answer, its tree) built on first use.
RankedPoint NearestOfPart(MatchIndex* index, IndexPart* part, const MatchPoints& points,
                          std::uint32_t m1, std::uint32_t m2, RankedPoint best) {
  if (!part->gridBuilt) {
    BuildGrid(part->positions, part->count, points, part->cells, part->gridPositions,
              part->gridValues, &part->grid, &index->meter);
    part->gridBuilt = true;
  }
  if (GridAnswers(part->grid, m1, m2)) return NearestInGrid(part->grid, m1, m2, best, &index->meter);
  if (!part->built) {
    BuildTree(part->positions, part->count, part->nodes, points, &index->meter);
    part->built = true;
  }
  return NearestInTree(part->positions, part->count, part->nodes, points, m1, m2, best,
                       &index->meter);
}

}  // namespace

IndexPlan PlanMatchIndex(const ReferenceFrame& frame, WorkMeter* meter) {
  IndexPlan plan = {0u, 0u, false};
  // Positions are row-major 32-bit numbers, and all ones is none of them.
  if (frame.width <= 0 || frame.height <= 0 ||
      static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height) >=
          0xFFFFFFFFull) {
    return plan;
  }
  RunCursor c = {0, 0};
  Run r;
  while (NextRun(frame, &c, &r, meter)) {
    ++plan.runs;
    plan.pixels += static_cast<std::uint32_t>(r.last - r.first + 1);
  }
  // Slot numbers are 32-bit.
  plan.usable = SlotBits(plan.runs) <= 31u;
  return plan;
}

MatchIndex* BuildMatchIndex(const IndexPlan& plan, const ReferenceFrame& frame,
                            const WorkMeter& meter, const BlockSource& source,
                            std::uint32_t largestBlock, MatchIndex** holder) {
  *holder = nullptr;
  if (!plan.usable) return nullptr;
  // A refused block is asked for again in smaller ones: the host may be
  // short of large free ranges rather than of memory.
  std::uint32_t limit = largestBlock;
  for (;;) {
    const LayoutOutcome directory = LayOutDirectory(plan, source, limit, holder);
    if (directory.done) break;
    ReleaseIndexBlocks(*holder, source);
    *holder = nullptr;
    limit = SmallerBlockLimit(directory.refused);
    if (limit == 0u) return nullptr;
  }
  MatchIndex* index = *holder;
  index->frame = frame;
  index->ready = false;
  index->meter = meter;
  index->objectCount = 0u;
  CountObjects(index);
  BlockLink* const directoryEnd = index->blocks.last;
  for (;;) {
    const LayoutOutcome parts = LayOutParts(index, source, limit);
    if (parts.done) break;
    FreeBlocksAfter(&index->blocks, directoryEnd, source);
    limit = SmallerBlockLimit(parts.refused);
    if (limit == 0u) {
      ReleaseIndexBlocks(index, source);
      *holder = nullptr;
      return nullptr;
    }
  }
  PlacePositions(index);
  index->ready = true;
  return index;
}

void ReleaseIndexBlocks(MatchIndex* index, const BlockSource& source) {
  if (index) FreeChain(&index->blocks, source);
}

IndexedObject* FindIndexedObject(MatchIndex* index, std::uint32_t objectIndex) {
  return Lookup(index, objectIndex, false);
}

// Each part holds the first of its own pixels; ranked against the best of
// the parts before it, the last part's answer is the first of the whole
// object's.
MatchCandidate NearestOfObject(MatchIndex* index, IndexedObject* object, std::uint32_t m1,
                               std::uint32_t m2) {
  const MatchPoints points = {index->frame.match1, index->frame.match2};
  const std::uint32_t width = static_cast<std::uint32_t>(index->frame.width);
  // The streak phase asks along rows: the next pixel's answer tends to lie
  // right of the last one. Ranked first, they let the search skip most of
  // the object.
  RankedPoint best = kNoPoint;
  const std::uint32_t last = object->lastAnswer;
  if (last != kNoPosition) {
    RankPoint(points, last, m1, m2, &best);
    const std::uint32_t next = last + 1u;
    if ((next % width) != 0u && (index->frame.tags[next] & kTagIndexMask) == object->objectIndex) {
      RankPoint(points, next, m1, m2, &best);
    }
  }
  for (IndexPart* part = object->parts; part; part = part->next) {
    best = NearestOfPart(index, part, points, m1, m2, best);
  }
  const std::uint32_t p = best.position;
  object->lastAnswer = p;
  return MatchCandidate{true, static_cast<std::int32_t>(p % width),
                        static_cast<std::int32_t>(p / width)};
}

}  // namespace qxv
