// The program run headless or into a capture, as a separate process: nobody
// answers its set-up dialog, so it must leave the settings file a person's live
// runs wrote exactly as it was, and create none where there was none.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device/settings.h"
#include "platform/registry/winreg.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int RunProgram(const std::string& arguments) {
  const std::string command = std::string(KAVRET_BINARY_DIR) + "/app/kavret --data " + KAVRET_TEST_DATA_DIR +
                              " --frames 5 " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

// Settings as a live run saves them after the person chose the full-screen
// driver, music off and looping on.
void WriteLiveChoices(const fs::path& file) {
  RegistrySetFile(file.string());
  DemoSettings = DemoSettingsRecord{};
  DemoSettings.isLooping = 1;
  DemoSettings.useSound = 0;
  std::snprintf(DemoSettings.driverName, sizeof DemoSettings.driverName, "Full screen (software RGB)");
  std::snprintf(DemoSettings.resolution, sizeof DemoSettings.resolution, "640 x 480 x 16 x 0hz");
  SaveSettings();
  RegistrySetFile(file.string() + ".unused");
}

TEST(HeadlessSettings, HeadlessRunsAndCapturesLeaveTheStoredChoicesByteForByte) {
  const fs::path folder = ProcessFolder("headless-settings");
  const fs::path settings = folder / "registry.reg";
  WriteLiveChoices(settings);
  const std::string stored = Bytes(settings);
  ASSERT_FALSE(stored.empty());

  EXPECT_EQ(RunProgram("--headless --settings " + settings.string()), 0);
  EXPECT_EQ(Bytes(settings), stored);
  EXPECT_EQ(RunProgram("--capture " + (folder / "frames").string() + " --settings " + settings.string()), 0);
  EXPECT_TRUE(fs::exists(folder / "frames" / "frame_000004.png"));
  EXPECT_EQ(Bytes(settings), stored);
  EXPECT_FALSE(fs::exists(settings.string() + ".tmp"));
  // The next live run finds the person's choices.
  RegistrySetFile(settings.string());
  DemoSettings = DemoSettingsRecord{};
  LoadSettings();
  EXPECT_STREQ(DemoSettings.driverName, "Full screen (software RGB)");
  EXPECT_EQ(DemoSettings.useSound, 0);
  EXPECT_EQ(DemoSettings.isLooping, 1);
  RegistrySetFile(settings.string() + ".unused");

  // A first run that nobody watches stores no defaults either.
  const fs::path fresh = folder / "fresh.reg";
  EXPECT_EQ(RunProgram("--headless --settings " + fresh.string()), 0);
  EXPECT_FALSE(fs::exists(fresh));
}

}  // namespace
