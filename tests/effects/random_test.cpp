// The shared random generator: the recurrence, the output range and the
// single-precision scale.
#include <gtest/gtest.h>

#include <algorithm>

#include "effects/random.h"

TEST(Random, FollowsTheRecurrenceFromStateOne) {
  SetRandomState(1);
  // state 1 -> 1 * 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41.
  EXPECT_EQ(Random(), 41);
  EXPECT_EQ(GetRandomState(), 2745024u);
  EXPECT_EQ(Random(), 18467);
  EXPECT_EQ(Random(), 6334);
  EXPECT_EQ(Random(), 26500);
  EXPECT_EQ(Random(), 19169);
}

TEST(Random, StaysInRangeAndScalesBelowOne) {
  SetRandomState(0xDEADBEEFu);
  int low = 32767, high = 0;
  for (int i = 0; i < 200000; ++i) {
    int r = Random();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
    low = std::min(low, r);
    high = std::max(high, r);
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 32767);
  // The largest draw scaled stays below 1.
  EXPECT_LT(32767.0f * RandomScale, 1.0f);
  SetRandomState(1);
  EXPECT_EQ(RandomUnit(), 41.0f * 0.000030518f);
}
