// The scan step of the previous-frame search, done either literally (every
// object pixel of the region) or through an index of the reference frame.
// Both give the same pixel and leave the same objectBox; the literal scan
// stays selectable so that tests and benchmarks can compare the two.
#pragma once
#include <cstdint>

#include "kernel/match_index.h"
#include "kernel/match_scan.h"

namespace qxv {

enum class MatchSearch { kLiteral, kIndexed };
// Module-wide; indexed unless told otherwise.
void SetMatchSearch(MatchSearch search);
MatchSearch CurrentMatchSearch();

// What the host lends the search: a poll for long loops (which may raise a
// host failure: nothing the search holds needs destroying) and blocks for
// the index, none asked for above largestBlock bytes.
struct SearchHost {
  void (*poll)(void* context);
  void* (*allocate)(void* context, std::uint32_t bytes);  // null when refused
  void (*free)(void* context, void* block);
  void* context;
  std::uint32_t largestBlock;
};

// The search's own state, carried from pixel to pixel of one pass.
struct MatchSearchState {
  ObjectBox objectBox;     // the last searched object's box in the reference
  std::int32_t lastObject;  // the object of the last search past the quick test
  // The index of the reference frame, in blocks chained to this one, made
  // during a streak phase and freed at its end (or when the pass is
  // abandoned).
  MatchIndex* matchIndex;
  bool matchIndexRefused;  // its blocks could not be had this streak phase
};

// Bracket one streak phase: the index is made by the first search that
// needs it and must not outlive the reference tiles' lock.
void BeginMatchSearches(MatchSearchState* state, const SearchHost& host);
void ReleaseMatchIndex(MatchSearchState* state, const SearchHost& host);

// What ScanForMatch over `region` of the frame (the whole frame, or
// objectBox in a box search, which stops at the first exact match) returns
// and does to state->objectBox.
MatchCandidate SearchReference(MatchSearchState* state, const SearchHost& host,
                               const ReferenceFrame& frame, const ObjectBox& region,
                               std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                               bool boxSearch);

}  // namespace qxv
