// What a streak does to the layers: occlusion, the secondary layer, outlines.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

#include "kernel/paint_streak.h"
#include "kernel/streak_mix.h"
#include "kernel/streak_pixel.h"

namespace qxv {
namespace {

constexpr std::uint32_t kColour = 0x123456u;
constexpr std::int32_t kObject = 5;

// One row of pixels is enough for everything here.
struct Row {
  std::vector<std::uint32_t> main, secondary, tag, depth;
  explicit Row(std::size_t w) : main(w, 0u), secondary(w, 0u), tag(w, kObject), depth(w, 0u) {}
  StreakCursors Cursors() { return {main.data(), secondary.data(), tag.data(), depth.data()}; }
};

StreakRequest RowRequest(std::int32_t length, std::int32_t width) {
  StreakRequest r{};
  r.x1 = length;
  r.sx = 1;
  r.width = width;
  r.height = 1;
  r.colour = kColour;
  r.startIntensity = 255.0;
  r.echoRestart = -1.0;
  r.objectIndex = kObject;
  r.floor = 0.0;
  return r;
}

struct Call {
  std::int32_t a, b;
  bool refresh;
};

struct QueryLog {
  std::vector<Call> calls;
  bool answer = false;
};

bool LoggingQuery(void* context, std::int32_t a, std::int32_t b, bool refresh) {
  QueryLog* log = static_cast<QueryLog*>(context);
  log->calls.push_back({a, b, refresh});
  return log->answer;
}

struct OcclusionCase {
  const char* name;
  bool answer;
  std::uint32_t tag, depth;
  bool painted;
};

// Pixel 2 of a 4-pixel streak at depth 100 carries another object.
TEST(PaintStreakLayersTest, DepthOcclusionNeedsAllFourConditions) {
  const OcclusionCase cases[] = {
      {"nearer other object is hidden", false, 7u, 99u, false},
      {"same occlusion group shows", true, 7u, 99u, true},
      {"outline pixel shows", false, 0x80000007u, 99u, true},
      {"same object shows", false, static_cast<std::uint32_t>(kObject), 99u, true},
      {"same object with second-streak bit shows", false, 0x40000000u | kObject, 99u, true},
      {"equal depth shows", false, 7u, 100u, true},
      {"farther shows", false, 7u, 101u, true},
      {"second-streak bit is not the outline bit", false, 0x40000007u, 0u, false},
  };
  for (const OcclusionCase& c : cases) {
    SCOPED_TRACE(c.name);
    Row row(6);
    row.tag[2] = c.tag;
    row.depth[2] = c.depth;
    StreakRequest r = RowRequest(4, 6);
    r.startDepth = r.endDepth = 100u;
    QueryLog log;
    log.answer = c.answer;
    PaintStreak(StreakSettings{1.0, false, true, false, 1.0f}, LoggingQuery, &log, r,
                row.Cursors());
    EXPECT_EQ(row.main[2] != 0u, c.painted);
    // Hidden or not, the intensity has moved on: 255, 191.25, 127.5, 63.75.
    EXPECT_EQ(row.main[1], 0x5F000000u | kColour);
    EXPECT_EQ(row.main[3], 0x1F000000u | kColour);
    if (c.painted) {
      EXPECT_EQ(row.main[2], 0x3F000000u | kColour);
    }
  }
}

// The group is asked at every visited pixel of another object, refreshing at
// the first pixel of each streak. Background and the streak's own object
// are in no group with it: asking about them would change nothing.
TEST(PaintStreakLayersTest, QueryAskedAtEveryPixelOfAnotherObjectRefreshingAtTheFirst) {
  Row row(6);
  row.tag = {7u, 0xC0000009u, 0u, 0x3FFFFFFFu, kObject, 9u};
  QueryLog log;
  const StreakSettings settings{1.0, false, true, false, 1.0f};
  PaintStreak(settings, LoggingQuery, &log, RowRequest(5, 6), row.Cursors());
  PaintStreak(settings, LoggingQuery, &log, RowRequest(2, 6), row.Cursors());
  // First streak: pixels 0 to 4, of which 2 (background) and 4 (its own
  // object) are not asked about; second streak: pixels 0 and 1.
  const std::int32_t others[] = {7, 9, 0x3FFFFFFF, 7, 9};
  const bool refresh[] = {true, false, false, true, false};
  ASSERT_EQ(log.calls.size(), 5u);
  for (std::size_t i = 0; i < log.calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(log.calls[i].a, kObject);
    EXPECT_EQ(log.calls[i].b, others[i]);
    EXPECT_EQ(log.calls[i].refresh, refresh[i]);
  }

  // A streak that starts on its own object has spent its refresh there.
  QueryLog own;
  Row ownFirst(3);
  ownFirst.tag = {kObject, 9u, 9u};
  PaintStreak(settings, LoggingQuery, &own, RowRequest(3, 3), ownFirst.Cursors());
  ASSERT_EQ(own.calls.size(), 2u);
  EXPECT_FALSE(own.calls[0].refresh);
  EXPECT_FALSE(own.calls[1].refresh);

  // Without the depth test nothing is asked, and tags and depths are not read.
  QueryLog unused;
  Row plain(6);
  StreakCursors cursors = plain.Cursors();
  cursors.tag = nullptr;
  cursors.depth = nullptr;
  PaintStreak(StreakSettings{1.0, false, false, false, 1.0f}, LoggingQuery, &unused,
              RowRequest(4, 6), cursors);
  EXPECT_TRUE(unused.calls.empty());
  EXPECT_NE(plain.main[3], 0u);
}

struct DepthCase {
  const char* name;
  std::uint32_t startDepth, endDepth;
  std::int32_t length;
  std::int32_t pixel;
  std::uint32_t blocker;  // depth of another object at that pixel
  bool painted;
};

// u starts at startDepth and moves by (endDepth - startDepth) / n per pixel, signed and wrapping.
TEST(PaintStreakLayersTest, DepthIsInterpolatedAlongTheStreak) {
  const DepthCase cases[] = {
      {"falling: u 750 at pixel 1 hides 749", 1000u, 0u, 4, 1, 749u, false},
      {"falling: u 750 at pixel 1 shows 750", 1000u, 0u, 4, 1, 750u, true},
      {"rising: u 300 at pixel 3", 0u, 400u, 4, 3, 299u, false},
      {"truncation toward zero: -7 / 4 is -1", 10u, 3u, 4, 3, 6u, false},
      {"truncation toward zero: u 7 at pixel 3", 10u, 3u, 4, 3, 7u, true},
      {"wrapping: u 0 at pixel 2 hides nothing", 0xFFFFFFF0u, 0x10u, 4, 2, 0u, true},
      {"wrapping: u 8 at pixel 3", 0xFFFFFFF0u, 0x10u, 4, 3, 7u, false},
      // 0 - 0x80000000 is -2^31 as a signed step: u moves down to 0x40000000.
      {"difference of -2^31 is negative", 0x80000000u, 0u, 2, 1, 0x3FFFFFFFu, false},
      {"difference of -2^31 is negative, equal", 0x80000000u, 0u, 2, 1, 0x40000000u, true},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.name);
    Row row(8);
    row.tag[c.pixel] = 7u;
    row.depth[c.pixel] = c.blocker;
    StreakRequest r = RowRequest(c.length, 8);
    r.startDepth = c.startDepth;
    r.endDepth = c.endDepth;
    QueryLog log;
    PaintStreak(StreakSettings{1.0, false, true, false, 1.0f}, LoggingQuery, &log, r,
                row.Cursors());
    EXPECT_EQ(row.main[c.pixel] != 0u, c.painted);
  }
}

struct LayerCase {
  const char* name;
  bool secondaryLayer;
  std::int32_t altSet;
  bool outline;
  std::uint32_t mainBefore, secondaryBefore;
  std::uint32_t mainAfter, secondaryAfter;
};

// The sample of a one-pixel streak: intensity 255 gives coverage 127, so
// 0x7F123456; Luma(0x123456) = 0.6 * 52 + 0.3 * 18 + 0.1 * 86 = 45.2 -> 45.
constexpr std::uint32_t kSample = 0x7F123456u;
// Coverage 32 of white: Luma 255.
constexpr std::uint32_t kWhite = 0x20FFFFFFu;

// A one-pixel streak paints intensity 255 into both layers by the mixers' rules.
TEST(PaintStreakLayersTest, LayersFollowTheMixers) {
  // Main layer, white against the sample: (256 - 255) * 32 = 32 against
  // (256 - 45) * 127 = 26797, so the darker, denser sample wins.
  // Secondary layer, weightMarked 0.75: white gives 32 * 255 = 8160, the
  // sample 127 * 45 = 5715 unmarked or 4286.25 marked, so white stays, and
  // takes the mark when the sample had it.
  const LayerCase cases[] = {
      {"main only", false, 0, false, 0u, 0xDEADBEEFu, kSample, 0xDEADBEEFu},
      {"both layers, unmarked", true, 0, false, 0u, kWhite, kSample, kWhite},
      {"alternate set marks the secondary sample", true, 1, false, kWhite, kWhite, kSample,
       kWhite | kMarkBit},
      {"any non-zero altSet counts", true, -3, false, 0u, 0u, kSample, kSample | kMarkBit},
      {"outline leaves the secondary layer alone", true, 0, true, 0u, kWhite,
       kSample | kMarkBit, kWhite},
      {"outline with alternate set still paints secondary", true, 1, true, kWhite, kWhite, kWhite,
       kWhite | kMarkBit},
      {"outline keeps an unmarked main value", true, 0, true, kWhite, 0u, kWhite, 0u},
      {"outline replaces a marked main value", false, 0, true, kWhite | kMarkBit, 0u,
       kSample | kMarkBit, 0u},
  };
  for (const LayerCase& c : cases) {
    SCOPED_TRACE(c.name);
    Row row(3);
    row.main[0] = c.mainBefore;
    row.secondary[0] = c.secondaryBefore;
    StreakRequest r = RowRequest(1, 3);
    r.altSet = c.altSet;
    r.outline = c.outline;
    StreakCursors cursors = row.Cursors();
    if (!c.secondaryLayer) cursors.secondary = nullptr;
    PaintStreak(StreakSettings{1.0, false, false, c.secondaryLayer, 0.75f}, nullptr, nullptr, r,
                cursors);
    EXPECT_EQ(row.main[0], c.mainAfter);
    EXPECT_EQ(row.secondary[0], c.secondaryAfter);
    EXPECT_EQ(row.main[1], 0u);
  }
}

std::jmp_buf failureJump;
int failingCalls = 0;

bool FailingQuery(void*, std::int32_t, std::int32_t, bool) {
  if (++failingCalls == 3) std::longjmp(failureJump, 1);
  return false;
}

// A host failure inside the query leaves the walk by longjmp, keeping what it painted.
TEST(PaintStreakLayersTest, FailureInTheQueryLeavesByLongjmp) {
  Row row(6);
  row.tag = {7u, 7u, 7u, 7u, 7u, 7u};  // another object at every pixel
  failingCalls = 0;
  const StreakRequest r = RowRequest(5, 6);
  const StreakCursors cursors = row.Cursors();
  if (setjmp(failureJump) == 0) {
    PaintStreak(StreakSettings{1.0, false, true, false, 1.0f}, FailingQuery, nullptr, r, cursors);
    ADD_FAILURE() << "the query's failure did not leave the walk";
  }
  EXPECT_EQ(failingCalls, 3);
  EXPECT_NE(row.main[1], 0u);
  EXPECT_EQ(row.main[2], 0u);
}

}  // namespace
}  // namespace qxv
