// The pacing clock of live play.
#include <gtest/gtest.h>

#include <algorithm>
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

// Shown on a display's refreshes (a browser's animation frames, which jitter
// by a millisecond or so): 60 frames a second at 60, 75, 120 and 144 Hz, none
// dropped at 60 Hz, and never faster than the schedule.
TEST(PacingClock, RefreshDrivenFramesComeAtTheScheduleRate) {
  constexpr std::int64_t kEarly = 2500;
  for (const double hz : {60.0, 75.0, 120.0, 144.0, 240.0}) {
    PaceClock clock;
    PaceStart(&clock, 60, 0);
    int shown = 0;
    std::int64_t last = -1, shortest = 1000000;
    for (int refresh = 0; refresh < static_cast<int>(hz * 10); ++refresh) {
      // +-1 ms of jitter, the same pattern at every rate.
      const std::int64_t jitter = (refresh * 7919 % 2001) - 1000;
      const std::int64_t now = static_cast<std::int64_t>(refresh * 1000000.0 / hz) + jitter;
      if (!PaceDue(&clock, now, kEarly)) continue;
      PaceWait(&clock, now);
      if (last >= 0) shortest = std::min(shortest, now - last);
      last = now;
      ++shown;
    }
    EXPECT_NEAR(shown, 600, 1) << hz << " Hz";
    // Two frames never share a refresh's worth of time at high rates.
    if (hz > 60) {
      EXPECT_GT(shortest, 1000000 / hz / 2) << hz << " Hz";
    }
  }
}

// Headless runs and captures go as fast as they can: nobody watches them.
TEST(PacingClock, AHeadlessRunNeverWaits) {
  WinStartup(WinBackend::Headless);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) WinPaceFrame(nullptr, 10);  // paced, these would take 1.9 s
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  WinShutdown();
}
