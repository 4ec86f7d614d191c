// The clock of a capture, and where a capture goes.
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

TEST(CaptureTarget, Mp4WhenFfmpegIsThereElseAFolder) {
  std::string folder;
  EXPECT_EQ(ChooseCaptureKind("out/kavret.mp4", true, &folder), CaptureKind::Mp4);
  EXPECT_EQ(ChooseCaptureKind("out/kavret.mp4", false, &folder), CaptureKind::PngFolder);
  EXPECT_EQ(folder, "out/kavret");
  EXPECT_EQ(ChooseCaptureKind("frames/", true, &folder), CaptureKind::PngFolder);
  EXPECT_EQ(folder, "frames");
}
