// Runs a scope with one way of searching the previous frame, and restores
// the module's default (indexed) when the scope ends, even on a failed
// assertion.
#pragma once
#include "kernel/match_search.h"

namespace qxv::test {

class ScopedMatchSearch {
 public:
  explicit ScopedMatchSearch(MatchSearch search) { SetMatchSearch(search); }
  ~ScopedMatchSearch() { SetMatchSearch(MatchSearch::kIndexed); }
  ScopedMatchSearch(const ScopedMatchSearch&) = delete;
  ScopedMatchSearch& operator=(const ScopedMatchSearch&) = delete;
};

}  // namespace qxv::test
