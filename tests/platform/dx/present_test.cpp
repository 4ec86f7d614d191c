// Where the 640 x 480 picture goes in a window or on a full screen.
#include <gtest/gtest.h>

#include "platform/dx/dx_platform.h"

TEST(PictureFit, AspectKeptAndWholeScalesShownSharp) {
  auto fit = DxFitPicture(640, 480, 640, 480);
  EXPECT_EQ(fit.x, 0);
  EXPECT_EQ(fit.width, 640);
  EXPECT_TRUE(fit.nearest);

  // Exactly twice the size, with bars above and below.
  fit = DxFitPicture(640, 480, 1280, 1000);
  EXPECT_EQ(fit.y, 20);
  EXPECT_EQ(fit.width, 1280);
  EXPECT_EQ(fit.height, 960);
  EXPECT_TRUE(fit.nearest);

  // A 1080p screen: 2.25 times, bars left and right, filtered.
  fit = DxFitPicture(640, 480, 1920, 1080);
  EXPECT_EQ(fit.x, 240);
  EXPECT_EQ(fit.width, 1440);
  EXPECT_EQ(fit.height, 1080);
  EXPECT_FALSE(fit.nearest);

  // Smaller than the picture: scaled down, filtered.
  fit = DxFitPicture(640, 480, 400, 400);
  EXPECT_EQ(fit.width, 400);
  EXPECT_EQ(fit.height, 300);
  EXPECT_EQ(fit.y, 50);
  EXPECT_FALSE(fit.nearest);

  // A window shrunk to nothing draws nothing.
  fit = DxFitPicture(640, 480, 0, 300);
  EXPECT_EQ(fit.width, 0);
}
