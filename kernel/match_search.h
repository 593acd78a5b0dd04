// The scan step of the previous-frame search, done either literally (every
// object pixel of the region) or through an index of the reference frame.
// Both give the same pixel and leave the same objectBox; the literal scan
// stays selectable so that tests and benchmarks can compare the two.
#pragma once
#include <cstdint>

#include "blur/pblur.h"
#include "kernel/match_index.h"
#include "kernel/match_scan.h"

namespace qxv {

enum class MatchSearch { kLiteral, kIndexed };
// Module-wide; indexed unless told otherwise.
void SetMatchSearch(MatchSearch search);
MatchSearch CurrentMatchSearch();

// Bracket one streak phase: the index is made by the first search that
// needs it and must not outlive the reference tiles' lock.
void BeginMatchSearches(Pblur* pblur);
void ReleaseMatchIndex(Pblur* pblur);

// What ScanForMatch over `region` of the frame (the whole frame, or
// objectBox in a box search, which stops at the first exact match) returns
// and does to pblur->objectBox.
MatchCandidate SearchReference(Pblur* pblur, const ReferenceFrame& frame, const ObjectBox& region,
                               std::uint32_t objectIndex, std::uint32_t m1, std::uint32_t m2,
                               bool boxSearch);

}  // namespace qxv
