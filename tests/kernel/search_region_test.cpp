// Every region the previous-frame search may hand over, searched both ways:
// the same pixel and the same object box, including the boxes a pass never
// produces, which the indexed search leaves to the scan.
#include <gtest/gtest.h>

#include <vector>

#include "kernel/match_search.h"
#include "tests/support/module_fixture.h"
#include "tests/support/search_mode.h"
#include "blur/search_host.h"

namespace qxv::test {
namespace {

class SearchRegion : public ModuleTest {};

constexpr std::int32_t kWidth = 12, kHeight = 9;

struct Case {
  const char* name;
  std::uint32_t object;
  bool boxSearch;
  ObjectBox region;
  std::uint32_t q1, q2;
};

TEST_F(SearchRegion, EveryRegionGivesTheScansPixelAndBox) {
  std::vector<std::uint32_t> tags(kWidth * kHeight, 0u), m1(tags), m2(tags);
  // Object 7 spans rows 2..6 and columns 3..9, with an exact pixel for
  // (40, 40) late in the box and a near one early; object 8 lies beside it.
  for (std::int32_t y = 2; y <= 6; ++y) {
    for (std::int32_t x = 3; x <= 9; ++x) {
      const std::int32_t at = y * kWidth + x;
      tags[at] = (x + y) % 4 == 0 ? 8u : 7u;
      m1[at] = static_cast<std::uint32_t>(10 * x);
      m2[at] = static_cast<std::uint32_t>(10 * y);
    }
  }
  const ReferenceFrame frame = {tags.data(), m1.data(), m2.data(), kWidth, kHeight};
  const ObjectBox whole = {0, kHeight - 1, 0, kWidth - 1};
  const Case cases[] = {
      {"whole frame", 7u, false, whole, 40u, 40u},
      {"whole frame, no exact pixel", 7u, false, whole, 43u, 58u},
      {"whole frame, object absent", 5u, false, whole, 40u, 40u},
      {"box search over the bounding box", 7u, true, {2, 6, 3, 9}, 40u, 40u},
      {"box search over a larger box", 7u, true, {1, 8, 0, 11}, 61u, 19u},
      {"box search over none", 7u, true, kNoBox, 40u, 40u},
      {"box search, object absent", 5u, true, {2, 6, 3, 9}, 40u, 40u},
      {"box smaller than the object: scanned", 7u, true, {4, 6, 5, 9}, 40u, 40u},
      {"box off to one side: scanned", 7u, true, {0, 3, 0, 4}, 90u, 60u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MatchCandidate results[2];
    ObjectBox boxes[2];
    const MatchSearch searches[2] = {MatchSearch::kLiteral, MatchSearch::kIndexed};
    for (int i = 0; i < 2; ++i) {
      ScopedMatchSearch mode(searches[i]);
      BeginMatchSearches(&pblur_->search, InitShellSearchHost());
      pblur_->search.objectBox = c.boxSearch ? c.region : kNoBox;
      results[i] =
          SearchReference(&pblur_->search, InitShellSearchHost(), frame, c.region, c.object, c.q1, c.q2, c.boxSearch);
      boxes[i] = pblur_->search.objectBox;
      ReleaseMatchIndex(&pblur_->search, InitShellSearchHost());
    }
    EXPECT_EQ(results[1].found, results[0].found);
    EXPECT_EQ(results[1].x, results[0].x);
    EXPECT_EQ(results[1].y, results[0].y);
    EXPECT_EQ(boxes[1].rowMin, boxes[0].rowMin);
    EXPECT_EQ(boxes[1].rowMax, boxes[0].rowMax);
    EXPECT_EQ(boxes[1].colMin, boxes[0].colMin);
    EXPECT_EQ(boxes[1].colMax, boxes[0].colMax);
  }
}

}  // namespace
}  // namespace qxv::test
