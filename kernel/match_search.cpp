#include "kernel/match_search.h"

namespace qxv {
namespace {

MatchSearch searchMode = MatchSearch::kIndexed;

bool SameFrame(const ReferenceFrame& a, const ReferenceFrame& b) {
  return a.tags == b.tags && a.match1 == b.match1 && a.match2 == b.match2 &&
         a.width == b.width && a.height == b.height;
}

BlockSource BlocksOf(const SearchHost& host) {
  return BlockSource{host.allocate, host.free, host.context};
}

// The index of this frame, made on first use; null when it cannot be had,
// and then the phase scans literally (the same results, only slower).
MatchIndex* ReadyIndex(MatchSearchState* state, const SearchHost& host,
                       const ReferenceFrame& frame) {
  MatchIndex* index = state->matchIndex;
  if (index) return index->ready && SameFrame(index->frame, frame) ? index : nullptr;
  if (state->matchIndexRefused) return nullptr;
  WorkMeter meter = {0u, host.poll, host.context};
  const IndexPlan plan = PlanMatchIndex(frame, &meter);
  state->matchIndexRefused = true;  // until the blocks are had
  // Its first block is held in the state as soon as it is had, so that the
  // pass's failure path frees them all.
  index = BuildMatchIndex(plan, frame, meter, BlocksOf(host), host.largestBlock,
                          &state->matchIndex);
  if (index) state->matchIndexRefused = false;
  return index;
}

bool Holds(const ObjectBox& outer, const ObjectBox& inner) {
  return outer.rowMin <= inner.rowMin && outer.rowMax >= inner.rowMax &&
         outer.colMin <= inner.colMin && outer.colMax >= inner.colMax;
}

// Why the index gives the scan's answer. Over a region the scan keeps the
// first pixel of smallest dist; a box search also stops once its best has
// both deltas 0, but that best has dist 0, which nothing undercuts, and is
// the earliest pixel of dist 0 (only a strictly closer pixel replaces the
// best), so the stop changes nothing. The answer is therefore the nearest,
// earliest object pixel of the region.
// - Whole frame: that of the whole object; objectBox, none before the scan,
//   grows to the object's bounding box, or stays none without pixels.
// - Box search over objectBox: a none box visits nothing, and an object
//   without pixels finds nothing. A box that holds the object's bounding box
//   holds all its pixels: the answer is again the whole object's, and
//   extending the box by pixels inside it changes nothing. In a pass a box
//   search only follows the whole-frame scan of the same object (lastObject
//   is reset by every pass and set only past the quick test), so its box is
//   exactly that bounding box, or none; any other box is scanned literally.
// lastObject, the found flag and the quick test stay with the caller, as
// they were.
bool IndexedSearch(MatchSearchState* state, MatchIndex* index, const ObjectBox& region,
                   std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2, bool boxSearch,
                   MatchCandidate* result) {
  IndexedObject* object = FindIndexedObject(index, objectIndex);
  *result = MatchCandidate{false, 0, 0};
  if (!boxSearch) {
    const ObjectBox whole = {0, index->frame.height - 1, 0, index->frame.width - 1};
    if (region.rowMin != whole.rowMin || region.rowMax != whole.rowMax ||
        region.colMin != whole.colMin || region.colMax != whole.colMax) {
      return false;
    }
    state->objectBox = object ? object->box : kNoBox;
  } else if (region.rowMin < 0 || region.colMin < 0 || !object) {
    return true;
  } else if (!Holds(region, object->box)) {
    return false;
  }
  if (object) *result = NearestOfObject(index, object, m1, m2);
  return true;
}

}  // namespace

void SetMatchSearch(MatchSearch search) { searchMode = search; }
MatchSearch CurrentMatchSearch() { return searchMode; }

void BeginMatchSearches(MatchSearchState* state, const SearchHost& host) {
  ReleaseMatchIndex(state, host);
  state->matchIndexRefused = false;
}

void ReleaseMatchIndex(MatchSearchState* state, const SearchHost& host) {
  ReleaseIndexBlocks(state->matchIndex, BlocksOf(host));
  state->matchIndex = nullptr;
}

MatchCandidate SearchReference(MatchSearchState* state, const SearchHost& host,
                               const ReferenceFrame& frame, const ObjectBox& region,
                               std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                               bool boxSearch) {
  if (searchMode == MatchSearch::kIndexed && objectIndex != 0u) {
    MatchIndex* index = ReadyIndex(state, host, frame);
    MatchCandidate result;
    if (index && IndexedSearch(state, index, region, objectIndex, m1, m2, boxSearch, &result)) {
      return result;
    }
  }
  return ScanForMatch(frame.tags, frame.match1, frame.match2, frame.width, region.rowMin,
                      region.rowMax, region.colMin, region.colMax, objectIndex, m1, m2, boxSearch,
                      &state->objectBox, host.poll, host.context);
}

}  // namespace qxv
