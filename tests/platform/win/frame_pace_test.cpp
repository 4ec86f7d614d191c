// The pacing clock of live play.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/win/frame_pace.h"
#include "platform/win/win_platform.h"

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

// Headless runs and captures go as fast as they can: nobody watches them.
TEST(PacingClock, AHeadlessRunNeverWaits) {
  WinStartup(WinBackend::Headless);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) WinPaceFrame(nullptr, 10);  // paced, these would take 1.9 s
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  WinShutdown();
}
