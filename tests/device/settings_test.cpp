// Loading and saving the four settings: the first run's defaults, the exact
// types and byte lengths in the file, and values that do not fit.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "device/settings.h"
#include "registry_file.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { DemoSettings = DemoSettingsRecord{}; }
  TempRegistry registry;
};

TEST_F(Settings, FirstRunCreatesTheKeyWithBothFlagsOnAndEmptyTexts) {
  LoadSettings();
  EXPECT_EQ(DemoSettings.isLooping, 1);
  EXPECT_EQ(DemoSettings.useSound, 1);
  EXPECT_STREQ(DemoSettings.driverName, "");

  for (const char* flag : {"IsLooping", "UseSound"}) {
    const StoredValue v = registry.Read(flag);
    ASSERT_TRUE(v.found) << flag;
    EXPECT_EQ(v.type, REG_DWORD);
    EXPECT_EQ(v.data, std::vector<BYTE>{1}) << flag;
  }
  for (const char* text : {"Driver Name", "Resolution"}) {
    const StoredValue v = registry.Read(text);
    ASSERT_TRUE(v.found) << text;
    EXPECT_EQ(v.type, REG_SZ);
    EXPECT_EQ(v.data, std::vector<BYTE>(255, 0)) << text;
  }
  const std::string file = registry.Text();
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\SOFTWARE\\Quarn 3DFX Demo]"), std::string::npos) << file;
  EXPECT_NE(file.find("\"IsLooping\"=hex(4):01\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\"UseSound\"=hex(4):01\n"), std::string::npos) << file;
}

TEST_F(Settings, StoredValuesAreReadAndMisfitsLeaveTheFieldAlone) {
  registry.Write("IsLooping", REG_DWORD, {0});
  registry.Write("UseSound", REG_DWORD, {0, 0, 0, 0});  // written by another program: too long
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("3Dfx Voodoo"));
  registry.Write("Resolution", REG_SZ, std::vector<BYTE>(300, 'x'));  // larger than the buffer
  DemoSettings.isLooping = 1;
  DemoSettings.useSound = 1;
  std::strcpy(DemoSettings.resolution, "kept");
  LoadSettings();
  EXPECT_EQ(DemoSettings.isLooping, 0);
  EXPECT_EQ(DemoSettings.useSound, 1);
  EXPECT_STREQ(DemoSettings.driverName, "3Dfx Voodoo");
  EXPECT_STREQ(DemoSettings.resolution, "kept");

  // A shorter text replaces all of the old one.
  std::strcpy(DemoSettings.driverName, "a much longer driver description");
  registry.Write("Driver Name", REG_SZ, {'S', 'h', 'o', 'r', 't'});
  LoadSettings();
  EXPECT_STREQ(DemoSettings.driverName, "Short");
}

TEST_F(Settings, SavingWritesTextsAs255BytesAndFlagsAsOneByte) {
  DemoSettings.isLooping = 0;
  DemoSettings.useSound = 1;
  std::strcpy(DemoSettings.driverName, "Desktop window (software RGB)");
  std::strcpy(DemoSettings.resolution, "640 x 480 x 16 x 0hz");
  SaveSettings();
  EXPECT_EQ(registry.Read("IsLooping").data, std::vector<BYTE>{0});
  EXPECT_EQ(registry.Read("UseSound").data, std::vector<BYTE>{1});
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("Desktop window (software RGB)"));
  EXPECT_EQ(registry.Read("Resolution").data, TempRegistry::Text255("640 x 480 x 16 x 0hz"));
  EXPECT_EQ(registry.Read("Resolution").type, REG_SZ);

  // What was saved comes back on the next run.
  DemoSettings = DemoSettingsRecord{};
  LoadSettings();
  EXPECT_EQ(DemoSettings.isLooping, 0);
  EXPECT_EQ(DemoSettings.useSound, 1);
  EXPECT_STREQ(DemoSettings.resolution, "640 x 480 x 16 x 0hz");
}

// A read-only run (a headless one) on a first run keeps its defaults to itself.
TEST_F(Settings, ReadOnlyFirstRunWritesNoFile) {
  RegistrySetReadOnly(true);
  RegistrySetFile(registry.path());
  LoadSettings();
  SaveSettings();
  RegistrySetReadOnly(false);
  EXPECT_EQ(DemoSettings.useSound, 1);
  EXPECT_FALSE(std::filesystem::exists(registry.path()));
}

}  // namespace
