#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "weight/jitter.h"

namespace qxv {
namespace {

// Restores the thread's generator so that other tests see the state they expect.
class JitterTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = JitterState(); }
  void TearDown() override { SetJitterState(saved_); }

 private:
  std::uint32_t saved_ = 0;
};

TEST_F(JitterTest, DisabledIsExactlyOneAndLeavesTheGeneratorAlone) {
  SetJitterState(12345u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(JitterFactor(false), 1.0);
  EXPECT_EQ(JitterState(), 12345u);
}

TEST_F(JitterTest, FirstValuesFromStateOne) {
  SetJitterState(1u);
  // The classic sequence of this generator.
  const std::uint32_t expected[] = {16838u, 5758u, 10113u, 17515u};
  for (std::uint32_t value : expected) {
    SCOPED_TRACE(value);
    EXPECT_EQ(JitterFactor(true), 2.0 * value / 32767.0);
  }
  EXPECT_EQ(JitterState(), 3295386429u);
}

// state = state * 1103515245 + 12345 (mod 2^32), each value bits 16-30 of
// the new state, worked out by hand for two steps from each seed.
TEST_F(JitterTest, FollowsTheRecurrenceFromAnySeed) {
  struct Step {
    std::uint32_t value, state;
  };
  struct Case {
    std::uint32_t seed;
    Step steps[2];
  };
  const Case cases[] = {
      {0u, {{0u, 0x00003039u}, {21468u, 0xD3DC167Eu}}},
      {1u, {{16838u, 0x41C67EA6u}, {5758u, 0x967EB0E7u}}},
      {0x7FFFFFFFu, {{15929u, 0x3E39E1CCu}, {4409u, 0x91397C15u}}},
      // Bit 31 of the state never reaches the value.
      {0x80000000u, {{0u, 0x80003039u}, {21468u, 0x53DC167Eu}}},
      {0xFFFFFFFFu, {{15929u, 0xBE39E1CCu}, {4409u, 0x11397C15u}}},
      {0xDEADBEEFu, {{7169u, 0x1C014DFCu}, {7993u, 0x9F392C85u}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    SetJitterState(c.seed);
    for (const Step& step : c.steps) {
      EXPECT_EQ(JitterFactor(true), 2.0 * step.value / 32767.0);
      EXPECT_EQ(JitterState(), step.state);
    }
  }
}

TEST_F(JitterTest, StaysWithinZeroToTwo) {
  SetJitterState(0xDEADBEEFu);
  for (int i = 0; i < 100000; ++i) {
    const double factor = JitterFactor(true);
    ASSERT_GE(factor, 0.0);
    ASSERT_LE(factor, 2.0);
  }
}

TEST_F(JitterTest, EveryThreadStartsAtOne) {
  SetJitterState(99u);
  std::uint32_t seen = 0;
  double first = 0.0;
  std::thread worker([&] {
    seen = JitterState();
    first = JitterFactor(true);
  });
  worker.join();
  EXPECT_EQ(seen, 1u);
  EXPECT_EQ(first, 2.0 * 16838 / 32767.0);
  EXPECT_EQ(JitterState(), 99u);
}

}  // namespace
}  // namespace qxv
