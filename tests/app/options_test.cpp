// The command line: good options set their fields, bad ones give one clear line.
#include <gtest/gtest.h>

#include <vector>

#include "app/options.h"

namespace {

bool Parse(std::vector<const char*> args, CommandLine* out, std::string* error) {
  args.insert(args.begin(), "kavret");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), out, error);
}

}  // namespace

TEST(CommandLineTest, OptionsSetTheirFields) {
  CommandLine c;
  std::string error;
  ASSERT_TRUE(Parse({"--headless", "--frames", "120", "--scene", "7", "--no-loop", "--no-music", "--data", "d",
                     "--settings", "s.reg", "--capture", "out.mp4", "--fps", "30", "--pace", "vsync",
                     "--screenshot-every", "50", "shots", "--scene-frames", "12", "--threads", "3", "--scale", "8"},
                    &c, &error))
      << error;
  EXPECT_TRUE(c.headless);
  EXPECT_EQ(c.frames, 120);
  EXPECT_EQ(c.scene, 7);
  EXPECT_EQ(c.looping, 0);
  EXPECT_TRUE(c.noMusic);
  EXPECT_EQ(c.dataDir, "d");
  EXPECT_EQ(c.settingsFile, "s.reg");
  EXPECT_EQ(c.capture, "out.mp4");
  EXPECT_EQ(c.fps, 30);
  EXPECT_EQ(c.pace, -1);
  EXPECT_EQ(c.screenshotEvery, 50);
  EXPECT_EQ(c.screenshotDir, "shots");
  EXPECT_EQ(c.sceneFrames, 12);
  EXPECT_EQ(c.threads, 3);
  EXPECT_EQ(c.scale, 8);

  CommandLine d;
  ASSERT_TRUE(Parse({"--pace", "off", "--loop", "--list-scenes", "--scale", "fit"}, &d, &error));
  EXPECT_EQ(d.scale, 0);  // the largest that fits
  EXPECT_EQ(d.pace, 0);
  EXPECT_EQ(d.looping, 1);
  EXPECT_TRUE(d.listScenes);
  CommandLine none;
  ASSERT_TRUE(Parse({}, &none, &error));
  EXPECT_EQ(none.looping, -1);  // the stored choice stands
  EXPECT_EQ(none.pace, 60);
  EXPECT_EQ(none.threads, 0);  // as many as there are processors
  EXPECT_EQ(none.scale, 1);    // the original picture
}

TEST(CommandLineTest, BadOptionsAndValuesAreRefusedWithAReason) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},          {"--frames"},          {"--frames", "0"},       {"--frames", "12x"},
      {"--scene", "8"},     {"--scene", "-1"},     {"--fps", "0"},          {"--pace", "fast"},
      {"--capture", ""},    {"--screenshot-every", "5"}, {"--screenshot-every", "x", "dir"},
      {"--frames", "99999999999999999999"}, {"--threads", "0"}, {"--threads", "65"}, {"--threads", "two"},
      {"--scale"}, {"--scale", "0"}, {"--scale", "9"}, {"--scale", "-1"}, {"--scale", "2x"}, {"--scale", "FIT"},
      {"--scale", ""},
  };
  for (const auto& args : bad) {
    CommandLine c;
    std::string error;
    EXPECT_FALSE(Parse(args, &c, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}
