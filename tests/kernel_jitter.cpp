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

TEST_F(JitterTest, FollowsTheRecurrenceAndStaysWithinZeroToTwo) {
  const std::uint32_t seeds[] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu};
  for (std::uint32_t seed : seeds) {
    SCOPED_TRACE(seed);
    SetJitterState(seed);
    std::uint32_t state = seed;
    for (int i = 0; i < 1000; ++i) {
      state = state * 1103515245u + 12345u;
      const double factor = JitterFactor(true);
      ASSERT_EQ(factor, 2.0 * ((state >> 16) & 0x7FFFu) / 32767.0);
      ASSERT_GE(factor, 0.0);
      ASSERT_LE(factor, 2.0);
      ASSERT_EQ(JitterState(), state);
    }
  }
  // Bits 16..30 only: this state's bit 31 is set, and must not leak in.
  SetJitterState(0xFFFFFFFFu);
  EXPECT_EQ(JitterFactor(true), 2.0 * 15929 / 32767.0);
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
