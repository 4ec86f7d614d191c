// The pacing clock of live play.
#include <gtest/gtest.h>

#include "platform/win/frame_pace.h"

TEST(PacingClock, FramesAreDueAtTheRateWithoutDriftOrBursts) {
  PaceClock clock;
  PaceStart(&clock, 60, 0);
  // Frames arrive instantly: each waits for its slot; frame 60 is due at exactly 1 s.
  std::int64_t now = 0;
  for (int i = 0; i < 60; ++i) now += PaceWait(&clock, now);
  EXPECT_EQ(now, 59 * 1000000LL / 60);
  EXPECT_EQ(PaceWait(&clock, now), 1000000 - now);

  // A late frame (less than one frame behind) is shown at once and the schedule keeps its phase.
  PaceStart(&clock, 60, 0);
  EXPECT_EQ(PaceWait(&clock, 0), 0);
  EXPECT_EQ(PaceWait(&clock, 20000), 0);          // due at 16666
  EXPECT_EQ(PaceWait(&clock, 20000), 33333 - 20000);

  // A stall of half a second: the next frames do not race to catch up.
  PaceStart(&clock, 60, 0);
  PaceWait(&clock, 0);
  EXPECT_EQ(PaceWait(&clock, 500000), 0);
  EXPECT_EQ(PaceWait(&clock, 500000), 1000000 / 60);

  // Off: never waits.
  PaceStart(&clock, 0, 0);
  EXPECT_EQ(PaceWait(&clock, 5), 0);
}
