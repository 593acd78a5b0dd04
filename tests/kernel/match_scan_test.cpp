#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

#include "kernel/match_scan.h"
#include "tests/support/object_box_print.h"

namespace qxv {
namespace {

TEST(MatchDeltaTest, AbsoluteSignedDifference) {
  struct Case {
    std::uint32_t a, b, expected;
  };
  const Case cases[] = {
      {5u, 3u, 2u},
      {3u, 5u, 2u},
      {7u, 7u, 0u},
      {0u, 0xFFFFFFFFu, 1u},
      {0xFFFFFFFFu, 0u, 1u},
      {0x7FFFFFFFu, 0x80000000u, 1u},
      {0u, 0x7FFFFFFFu, 0x7FFFFFFFu},
      {0x80000000u, 0u, 0x80000000u},
      {0u, 0x80000000u, 0x80000000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.a << " " << c.b);
    EXPECT_EQ(MatchDelta(c.a, c.b), c.expected);
  }
}

// A reference frame of 5 columns by 4 rows with object 7 at chosen pixels.
struct Reference {
  static constexpr std::int32_t kWidth = 5, kHeight = 4;
  std::vector<std::uint32_t> tags = std::vector<std::uint32_t>(kWidth * kHeight, 3u);
  std::vector<std::uint32_t> m1 = std::vector<std::uint32_t>(kWidth * kHeight, 0u);
  std::vector<std::uint32_t> m2 = std::vector<std::uint32_t>(kWidth * kHeight, 0u);
  void Put(std::int32_t x, std::int32_t y, std::uint32_t tag, std::uint32_t v1, std::uint32_t v2) {
    tags[y * kWidth + x] = tag;
    m1[y * kWidth + x] = v1;
    m2[y * kWidth + x] = v2;
  }
};

void CountPoll(void* context) { ++*static_cast<int*>(context); }

struct Scan {
  MatchCandidate result;
  ObjectBox box;
  int polls;
};

Scan ScanRegion(const Reference& ref, std::int32_t r0, std::int32_t r1, std::int32_t c0,
                std::int32_t c1, std::uint32_t v1, std::uint32_t v2, bool stopAtExact,
                ObjectBox box = kNoBox) {
  Scan s{{}, box, 0};
  s.result = ScanForMatch(ref.tags.data(), ref.m1.data(), ref.m2.data(), Reference::kWidth, r0, r1,
                          c0, c1, 7u, v1, v2, stopAtExact, &s.box, CountPoll, &s.polls);
  return s;
}

Scan FullScan(const Reference& ref, std::uint32_t v1, std::uint32_t v2) {
  return ScanRegion(ref, 0, Reference::kHeight - 1, 0, Reference::kWidth - 1, v1, v2, false);
}

TEST(ScanForMatchTest, FullScanFindsTheClosestAndCompletesTheBox) {
  Reference ref;
  ref.Put(2, 0, 7u, 100u, 200u);           // distance 0: exact
  ref.Put(1, 1, 0xC0000007u, 100u, 200u);  // exact as well; tag bits 30-31 are not the index
  ref.Put(4, 3, 7u, 90u, 200u);            // last row and column
  ref.Put(0, 2, 0x40000008u, 100u, 200u);  // another object
  const Scan s = FullScan(ref, 100u, 200u);
  EXPECT_TRUE(s.result.found);
  EXPECT_EQ(s.result.x, 2);  // earlier in row-major order wins the tie
  EXPECT_EQ(s.result.y, 0);
  EXPECT_EQ(s.polls, 3);  // the exact match did not stop it
  EXPECT_EQ(s.box, (ObjectBox{0, 3, 1, 4}));
}

TEST(ScanForMatchTest, LaterPixelsWinOnlyWhenStrictlyCloser) {
  struct Case {
    const char* name;
    std::uint32_t first1, first2, later1, later2;
    bool laterWins;
  };
  const Case cases[] = {
      {"closer", 10u, 10u, 11u, 8u, true},
      {"equal sum", 10u, 13u, 12u, 11u, false},
      {"farther", 11u, 11u, 20u, 5u, false},
      // The sum is unsigned: 0x7FFFFFFF + 0x80000000 is the largest there is.
      {"unsigned sum", 0x7FFFFFFFu, 0x80000000u, 5u, 5u, true},
      // ... and wraps: two deltas of 2^31 add up to 0, which nothing beats.
      {"wrapped sum of zero is never beaten", 0x80000000u, 0x80000000u, 0u, 0u, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reference ref;
    ref.Put(3, 1, 7u, c.first1, c.first2);
    ref.Put(0, 2, 7u, c.later1, c.later2);
    const Scan s = FullScan(ref, 0u, 0u);
    ASSERT_TRUE(s.result.found);
    EXPECT_EQ(s.result.x, c.laterWins ? 0 : 3);
    EXPECT_EQ(s.result.y, c.laterWins ? 2 : 1);
  }
}

TEST(ScanForMatchTest, BoxSearchStopsAtTheFirstExactBest) {
  Reference ref;
  ref.Put(1, 1, 7u, 50u, 0u);
  ref.Put(2, 1, 7u, 40u, 0u);
  ref.Put(3, 2, 7u, 40u, 0u);  // exact, inside the box's last row and column
  ref.Put(3, 3, 7u, 40u, 0u);  // outside the box
  ObjectBox box{1, 2, 1, 3};
  Scan s = ScanRegion(ref, 1, 2, 1, 3, 40u, 0u, true, box);
  EXPECT_EQ(s.result.x, 2);
  EXPECT_EQ(s.result.y, 1);
  EXPECT_EQ(s.polls, 2);
  EXPECT_EQ(s.box, box);

  ref.Put(2, 1, 7u, 41u, 0u);
  s = ScanRegion(ref, 1, 2, 1, 3, 40u, 0u, true, box);
  EXPECT_EQ(s.result.x, 3);
  EXPECT_EQ(s.result.y, 2);
  EXPECT_EQ(s.polls, 3);

  // A best whose deltas of 2^31 wrap to a sum of 0 is not exact: no stop, and
  // the exact pixel after it is not closer.
  ref.Put(1, 1, 7u, 40u + 0x80000000u, 0x80000000u);
  s = ScanRegion(ref, 1, 2, 1, 3, 40u, 0u, true, box);
  EXPECT_EQ(s.result.x, 1);
  EXPECT_EQ(s.result.y, 1);
  EXPECT_EQ(s.polls, 3);

  // No exact pixel: the whole box is scanned and the closest returned.
  ref.Put(1, 1, 7u, 50u, 0u);
  ref.Put(3, 2, 7u, 43u, 0u);
  s = ScanRegion(ref, 1, 2, 1, 3, 40u, 0u, true, box);
  EXPECT_EQ(s.result.x, 2);
  EXPECT_EQ(s.polls, 3);
}

TEST(ScanForMatchTest, BoxGrowsFromNoneOrFromWhatItHeld) {
  Reference ref;
  ref.Put(0, 3, 7u, 1u, 1u);  // only the bottom row
  Scan s = FullScan(ref, 9u, 9u);
  EXPECT_TRUE(s.result.found);
  EXPECT_EQ(s.result.y, 3);
  EXPECT_EQ(s.box, (ObjectBox{3, 3, 0, 0}));

  ref.Put(4, 0, 7u, 1u, 1u);
  s = ScanRegion(ref, 0, 3, 0, 4, 9u, 9u, false, ObjectBox{1, 2, 1, 2});
  EXPECT_EQ(s.box, (ObjectBox{0, 3, 0, 4}));
}

TEST(ScanForMatchTest, EmptyRegionsVisitNothing) {
  Reference ref;
  ref.Put(0, 0, 7u, 0u, 0u);
  struct Case {
    const char* name;
    std::int32_t r0, r1, c0, c1;
  };
  const Case cases[] = {
      {"none box", -1, -1, -1, -1},
      {"rows reversed", 2, 1, 0, 4},
      {"columns reversed", 0, 3, 3, 2},
      {"zero-height frame", 0, -1, 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Scan s = ScanRegion(ref, c.r0, c.r1, c.c0, c.c1, 0u, 0u, true);
    EXPECT_FALSE(s.result.found);
    EXPECT_EQ(s.polls, 0);
    EXPECT_EQ(s.box, kNoBox);
  }
  // An object absent from the frame.
  Reference empty;
  const Scan none = FullScan(empty, 0u, 0u);
  EXPECT_FALSE(none.result.found);
  EXPECT_EQ(none.box, kNoBox);
}

std::jmp_buf pollJump;
int pollsBeforeFailure = 0;
ObjectBox boxAtFailure = kNoBox;

void FailingPoll(void*) {
  if (++pollsBeforeFailure == 2) std::longjmp(pollJump, 1);
}

// A host failure in the poll leaves the scan with the box covering the pixels before it.
TEST(ScanForMatchTest, FailureInThePollLeavesByLongjmp) {
  Reference ref;
  ref.Put(1, 0, 7u, 0u, 0u);
  ref.Put(2, 2, 7u, 0u, 0u);
  boxAtFailure = kNoBox;
  pollsBeforeFailure = 0;
  if (setjmp(pollJump) == 0) {
    ScanForMatch(ref.tags.data(), ref.m1.data(), ref.m2.data(), Reference::kWidth, 0, 3, 0, 4, 7u,
                 0u, 0u, false, &boxAtFailure, FailingPoll, nullptr);
    ADD_FAILURE() << "the poll's failure did not leave the scan";
  }
  EXPECT_EQ(pollsBeforeFailure, 2);
  EXPECT_EQ(boxAtFailure, (ObjectBox{0, 0, 1, 1}));
}

}  // namespace
}  // namespace qxv
