// The clocks of capture and live play, and where a capture goes.
#include <gtest/gtest.h>

#include "platform/capture/capture.h"
#include "platform/capture/frame_clock.h"

TEST(CaptureClock, SamplesPerFrameAddUpExactly) {
  for (int i = 0; i < 10; ++i) EXPECT_EQ(SamplesForFrame(i, 48000, 60), 800);
  EXPECT_EQ(SamplesForFrame(0, 48000, 30), 1600);
  // 48000 / 7 is not whole: the remainder is carried, never lost.
  std::int64_t total = 0;
  for (int i = 0; i < 7000; ++i) {
    const int n = SamplesForFrame(i, 48000, 7);
    EXPECT_TRUE(n == 6857 || n == 6858);
    total += n;
  }
  EXPECT_EQ(total, 48000 * 1000);
  // The same holds for 44.1 kHz at 60 frames per second (735 each).
  EXPECT_EQ(SamplesForFrame(12345, 44100, 60), 735);
}

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

TEST(CaptureTarget, Mp4WhenFfmpegIsThereElseAFolder) {
  std::string folder;
  EXPECT_EQ(ChooseCaptureKind("out/kavret.mp4", true, &folder), CaptureKind::Mp4);
  EXPECT_EQ(ChooseCaptureKind("out/kavret.mp4", false, &folder), CaptureKind::PngFolder);
  EXPECT_EQ(folder, "out/kavret");
  EXPECT_EQ(ChooseCaptureKind("frames/", true, &folder), CaptureKind::PngFolder);
  EXPECT_EQ(folder, "frames");
}
