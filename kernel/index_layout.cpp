#include "kernel/index_layout.h"

#include <cstring>

namespace qxv {
namespace {

constexpr std::uint64_t kAlign = 16u;

std::uint64_t Aligned(std::uint64_t bytes) { return (bytes + kAlign - 1u) / kAlign * kAlign; }

// The record and the two tables, in units no block splits: the record (with
// the tables' page lists), then the slot pages, then the object pages.
struct Directory {
  std::uint64_t slotCount, objectCapacity;
  std::uint32_t slotShift, objectShift;
  std::uint64_t slotPages, objectPages;
  std::uint64_t pageListsAt, recordBytes;
};

std::uint64_t PageBytes(std::uint64_t count, std::uint32_t shift, std::uint64_t page,
                        std::uint64_t elementBytes) {
  const std::uint64_t first = page << shift;
  const std::uint64_t elements = count - first < (1ull << shift) ? count - first : 1ull << shift;
  return Aligned(elements * elementBytes);
}

std::uint64_t UnitBytes(const Directory& d, std::uint64_t unit) {
  if (unit == 0u) return d.recordBytes;
  if (unit <= d.slotPages) return PageBytes(d.slotCount, d.slotShift, unit - 1u, 4u);
  return PageBytes(d.objectCapacity, d.objectShift, unit - 1u - d.slotPages,
                   sizeof(IndexedObject));
}

// Fills in the unit's part of the index, now that its memory is had.
void PlaceUnit(const Directory& d, MatchIndex* index, std::uint64_t unit, unsigned char* at) {
  if (unit == 0u) return;  // the record, placed with its block
  if (unit <= d.slotPages) {
    index->slots.pages[unit - 1u] = reinterpret_cast<std::uint32_t*>(at);
    std::memset(at, 0, static_cast<std::size_t>(UnitBytes(d, unit)));
    return;
  }
  index->objects.pages[unit - 1u - d.slotPages] = reinterpret_cast<IndexedObject*>(at);
}

MatchIndex* PlaceRecord(const Directory& d, const BlockChain& chain, std::uint32_t slotBits,
                        unsigned char* at) {
  MatchIndex* index = reinterpret_cast<MatchIndex*>(at);
  *index = MatchIndex{};
  index->blocks = chain;
  index->slotBits = slotBits;
  index->slots = {reinterpret_cast<std::uint32_t**>(at + d.pageListsAt), d.slotShift,
                  (1u << d.slotShift) - 1u};
  index->objects = {reinterpret_cast<IndexedObject**>(at + d.pageListsAt +
                                                      Aligned(sizeof(void*) * d.slotPages)),
                    d.objectShift, (1u << d.objectShift) - 1u};
  return index;
}

std::uint64_t PartBytes(std::uint32_t count) {
  return Aligned(sizeof(IndexPart)) + Aligned(4ull * count) +
         Aligned(TreeNodeCount(count) * sizeof(TreeNode)) +
         Aligned(4ull * (GridCellBudget(count) + 1u)) + Aligned(4ull * count) +
         Aligned(8ull * count);
}

// The most of `left` pixels whose part fits in `room` bytes; 0 when not even
// one pixel's does.
std::uint32_t PartPixelsWithin(std::uint64_t room, std::uint32_t left) {
  if (PartBytes(left) <= room) return left;
  if (PartBytes(1u) > room) return 0u;
  std::uint32_t fits = 1u, over = left;
  while (over - fits > 1u) {
    const std::uint32_t mid = fits + (over - fits) / 2u;
    if (PartBytes(mid) <= room) {
      fits = mid;
    } else {
      over = mid;
    }
  }
  return fits;
}

void PlacePart(IndexedObject* o, unsigned char* at, std::uint32_t count) {
  IndexPart* part = reinterpret_cast<IndexPart*>(at);
  std::uint64_t offset = Aligned(sizeof(IndexPart));
  const auto take = [&](std::uint64_t bytes) {
    unsigned char* p = at + offset;
    offset += Aligned(bytes);
    return p;
  };
  *part = IndexPart{};
  part->count = count;
  part->positions = reinterpret_cast<std::uint32_t*>(take(4ull * count));
  part->nodes = reinterpret_cast<TreeNode*>(take(TreeNodeCount(count) * sizeof(TreeNode)));
  part->cells = reinterpret_cast<std::uint32_t*>(take(4ull * (GridCellBudget(count) + 1u)));
  part->gridPositions = reinterpret_cast<std::uint32_t*>(take(4ull * count));
  part->gridValues = reinterpret_cast<std::uint32_t*>(take(8ull * count));
  if (o->filling) {
    o->filling->next = part;
  } else {
    o->parts = part;
  }
  o->filling = part;
}

// How far the parts are laid out: the object, and how many of its pixels
// have a part.
struct PartCursor {
  std::uint32_t object, done;
};

// The parts that fit in one block of `room` bytes from *c on, placed at
// `at` (or only measured, when null); the bytes they take. An object that
// does not fit whole is split, its next part starting the next block.
std::uint64_t FillBlock(MatchIndex* index, PartCursor* c, std::uint64_t room, unsigned char* at) {
  std::uint64_t used = 0;
  while (c->object < index->objectCount) {
    IndexedObject* o = &index->objects[c->object];
    const std::uint32_t count = PartPixelsWithin(room - used, o->count - c->done);
    if (count == 0u) break;
    if (at) PlacePart(o, at + used, count);
    used += PartBytes(count);
    c->done += count;
    if (c->done == o->count) {
      ++c->object;
      c->done = 0;
    }
  }
  return used;
}

}  // namespace

std::uint32_t SlotBits(std::uint32_t runs) {
  std::uint32_t bits = 4;
  while ((1ull << bits) < 2ull * runs) ++bits;
  return bits;
}

LayoutOutcome LayOutDirectory(const IndexPlan& plan, const BlockSource& source,
                              std::uint32_t limit, MatchIndex** holder) {
  const LayoutOutcome impossible = {false, 0u};
  if (limit <= kBlockLinkBytes) return impossible;
  const std::uint64_t room = limit - kBlockLinkBytes;
  const std::uint32_t slotBits = SlotBits(plan.runs);
  Directory d;
  d.slotCount = 1ull << slotBits;
  d.objectCapacity = plan.runs == 0u ? 1u : plan.runs;
  d.slotShift = PageShift(d.slotCount, 4u, room);
  d.objectShift = PageShift(d.objectCapacity, sizeof(IndexedObject), room);
  if (d.slotShift > 31u || d.objectShift > 31u) return impossible;
  d.slotPages = PageCount(d.slotCount, d.slotShift);
  d.objectPages = PageCount(d.objectCapacity, d.objectShift);
  d.pageListsAt = Aligned(sizeof(MatchIndex));
  d.recordBytes = d.pageListsAt + Aligned(sizeof(void*) * d.slotPages) +
                  Aligned(sizeof(void*) * d.objectPages);
  if (d.recordBytes > room) return impossible;
  const std::uint64_t units = 1u + d.slotPages + d.objectPages;
  BlockChain chain = {nullptr, nullptr};
  MatchIndex* index = nullptr;
  for (std::uint64_t unit = 0; unit < units;) {
    std::uint64_t bytes = 0, end = unit;
    while (end < units && bytes + UnitBytes(d, end) <= room) bytes += UnitBytes(d, end++);
    const std::uint32_t blockBytes = static_cast<std::uint32_t>(kBlockLinkBytes + bytes);
    unsigned char* at = AddBlock(index ? &index->blocks : &chain, source, blockBytes);
    if (!at) return LayoutOutcome{false, blockBytes};
    if (!index) {
      index = PlaceRecord(d, chain, slotBits, at);
      *holder = index;
    }
    for (; unit < end; ++unit) {
      PlaceUnit(d, index, unit, at);
      at += UnitBytes(d, unit);
    }
  }
  return LayoutOutcome{true, 0u};
}

LayoutOutcome LayOutParts(MatchIndex* index, const BlockSource& source, std::uint32_t limit) {
  const LayoutOutcome impossible = {false, 0u};
  if (limit <= kBlockLinkBytes || PartBytes(1u) > limit - kBlockLinkBytes) return impossible;
  const std::uint64_t room = limit - kBlockLinkBytes;
  for (std::uint32_t i = 0; i < index->objectCount; ++i) {
    index->objects[i].parts = nullptr;
    index->objects[i].filling = nullptr;
  }
  PartCursor c = {0u, 0u};
  while (c.object < index->objectCount) {
    PartCursor measure = c;
    const std::uint32_t blockBytes =
        static_cast<std::uint32_t>(kBlockLinkBytes + FillBlock(index, &measure, room, nullptr));
    unsigned char* at = AddBlock(&index->blocks, source, blockBytes);
    if (!at) return LayoutOutcome{false, blockBytes};
    FillBlock(index, &c, room, at);
  }
  for (std::uint32_t i = 0; i < index->objectCount; ++i) {
    index->objects[i].filling = index->objects[i].parts;
  }
  return LayoutOutcome{true, 0u};
}

}  // namespace qxv
