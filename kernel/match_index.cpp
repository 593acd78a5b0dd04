#include "kernel/match_index.h"
#include "kernel/object_tag.h"

#include <cstddef>
#include <cstring>

namespace qxv {
namespace {

constexpr std::uint64_t kAlign = 16u;
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

std::uint64_t Aligned(std::uint64_t bytes) { return (bytes + kAlign - 1u) / kAlign * kAlign; }

std::uint32_t SlotBits(std::uint32_t runs) {
  std::uint32_t bits = 4;
  while ((1ull << bits) < 2ull * runs) ++bits;
  return bits;
}

struct Layout {
  std::uint64_t slots, objects, positions, nodes, cells, gridPositions, gridValues, end;
};

Layout LayOut(const IndexPlan& plan) {
  Layout l;
  l.slots = Aligned(sizeof(MatchIndex));
  l.objects = l.slots + Aligned(4ull << SlotBits(plan.runs));
  l.positions = l.objects + Aligned(static_cast<std::uint64_t>(plan.runs) * sizeof(IndexedObject));
  l.nodes = l.positions + Aligned(4ull * plan.pixels);
  l.cells = l.nodes + Aligned(TreeNodeBudget(plan.runs, plan.pixels) * sizeof(TreeNode));
  // A grid of n points has at most n + 2 cells and one more start.
  l.gridPositions = l.cells + Aligned(4ull * (static_cast<std::uint64_t>(plan.pixels) + 3ull * plan.runs));
  l.gridValues = l.gridPositions + Aligned(4ull * plan.pixels);
  l.end = l.gridValues + 8ull * plan.pixels;
  return l;
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
  *o = IndexedObject{objectIndex, 0u, 0u, 0u, 0u, 0u, kNoBox, kNoPosition, false, false, {}};
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
  std::uint32_t first = 0;
  std::uint64_t firstNode = 0, firstCell = 0;
  for (std::uint32_t i = 0; i < index->objectCount; ++i) {
    index->objects[i].first = first;
    index->objects[i].firstNode = firstNode;
    index->objects[i].firstCell = firstCell;
    first += index->objects[i].count;
    firstNode += TreeNodeCount(index->objects[i].count);
    firstCell += GridCellBudget(index->objects[i].count) + 1u;
  }
}

// Each object's positions in row-major order.
void PlacePositions(MatchIndex* index) {
  RunCursor c = {0, 0};
  Run r;
  IndexedObject* o = nullptr;
  while (NextRun(index->frame, &c, &r, &index->meter)) {
    if (!o || o->objectIndex != r.objectIndex) o = Lookup(index, r.objectIndex, false);
    const std::uint32_t rowStart = static_cast<std::uint32_t>(r.row) *
                                   static_cast<std::uint32_t>(index->frame.width);
    std::uint32_t* out = index->positions + o->first + o->placed;
    for (std::int32_t col = r.first; col <= r.last; ++col) {
      *out++ = rowStart + static_cast<std::uint32_t>(col);
    }
    o->placed += static_cast<std::uint32_t>(r.last - r.first + 1);
  }
}

}  // namespace

IndexPlan PlanMatchIndex(const ReferenceFrame& frame, WorkMeter* meter) {
  IndexPlan plan = {0u, 0u, 0u};
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
  const std::uint64_t end = LayOut(plan).end;
  // The host's allocator takes a 32-bit byte count.
  if (end <= 0xFFFFFFFFull && end <= static_cast<std::uint64_t>(SIZE_MAX)) plan.bytes = end;
  return plan;
}

MatchIndex* GroupMatchIndex(void* block, const IndexPlan& plan, const ReferenceFrame& frame,
                            const WorkMeter& meter) {
  unsigned char* base = static_cast<unsigned char*>(block);
  const Layout l = LayOut(plan);
  MatchIndex* index = static_cast<MatchIndex*>(block);
  index->frame = frame;
  index->ready = false;
  index->meter = meter;
  index->slotBits = SlotBits(plan.runs);
  index->slots = reinterpret_cast<std::uint32_t*>(base + l.slots);
  index->objects = reinterpret_cast<IndexedObject*>(base + l.objects);
  index->objectCount = 0u;
  index->positions = reinterpret_cast<std::uint32_t*>(base + l.positions);
  index->nodes = reinterpret_cast<TreeNode*>(base + l.nodes);
  index->cells = reinterpret_cast<std::uint32_t*>(base + l.cells);
  index->gridPositions = reinterpret_cast<std::uint32_t*>(base + l.gridPositions);
  index->gridValues = reinterpret_cast<std::uint32_t*>(base + l.gridValues);
  std::memset(index->slots, 0, static_cast<std::size_t>(4u) << index->slotBits);
  CountObjects(index);
  PlacePositions(index);
  index->ready = true;
  return index;
}

IndexedObject* FindIndexedObject(MatchIndex* index, std::uint32_t objectIndex) {
  return Lookup(index, objectIndex, false);
}

MatchCandidate NearestOfObject(MatchIndex* index, IndexedObject* object, std::uint32_t m1,
                               std::uint32_t m2) {
  const MatchPoints points = {index->frame.match1, index->frame.match2};
  const std::uint32_t width = static_cast<std::uint32_t>(index->frame.width);
  std::uint32_t* positions = index->positions + object->first;
  // The streak phase asks along rows: the next pixel's answer tends to lie
  // right of the last one.
  std::uint32_t guesses[2];
  int guessCount = 0;
  const std::uint32_t last = object->lastAnswer;
  if (last != kNoPosition) {
    guesses[guessCount++] = last;
    const std::uint32_t next = last + 1u;
    if ((next % width) != 0u && (index->frame.tags[next] & kTagIndexMask) == object->objectIndex) {
      guesses[guessCount++] = next;
    }
  }
  if (!object->gridBuilt) {
    BuildGrid(positions, object->count, points, index->cells + object->firstCell,
              index->gridPositions + object->first, index->gridValues + 2u * object->first,
              &object->grid, &index->meter);
    object->gridBuilt = true;
  }
  std::uint32_t p = 0;
  if (GridAnswers(object->grid, m1, m2)) {
    p = NearestInGrid(object->grid, points, m1, m2, guesses, guessCount, &index->meter);
  } else {
    TreeNode* nodes = index->nodes + object->firstNode;
    if (!object->built) {
      BuildTree(positions, object->count, nodes, points, &index->meter);
      object->built = true;
    }
    p = NearestInTree(positions, object->count, nodes, points, m1, m2, guesses, guessCount,
                      &index->meter);
  }
  object->lastAnswer = p;
  return MatchCandidate{true, static_cast<std::int32_t>(p % width),
                        static_cast<std::int32_t>(p / width)};
}

}  // namespace qxv
