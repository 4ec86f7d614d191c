// The whole playlist twice in a row with looping on (scenes shortened): no
// sanitizer report, nothing left behind between scenes, and no growth of the
// process from the first pass to the second.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/frame_loop.h"
#include "app/sequencer.h"
#include "device/settings.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "scene/scene.h"

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // freed memory is held in quarantine: sizes say nothing
#else
constexpr bool kSanitized = false;
#endif

namespace {

constexpr int kBudget = 40;
Scene soakPlaylist[kSceneCount];
long residentAfterPass[2];
int passesSeen = 0;
int lastScene = 0;

long ResidentKb() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A pass ends when the sequencer wraps from the Outro back to the Rocket.
void Watch(long) {
  if (lastScene == kSceneCount - 1 && Sequencer.sceneIndex == 0 && passesSeen < 2) {
    residentAfterPass[passesSeen++] = ResidentKb();
  }
  lastScene = Sequencer.sceneIndex;
}

}  // namespace

TEST(Soak, TwoLoopingPassesLeaveNothingBehind) {
  WinStartup(WinBackend::Headless);
  const auto settings = std::filesystem::temp_directory_path() / ("kavret-soak-" + std::to_string(::getpid()));
  RegistrySetFile(settings.string());
  SetDataDirectory(KAVRET_TEST_DATA_DIR);
  MusicSetOutput(MusicOutput::Silent);
  ResetSequencer();
  for (int i = 0; i < kSceneCount; ++i) {
    soakPlaylist[i] = demoPlaylist[i];
    soakPlaylist[i].frameBudget = kBudget;
  }
  playlist = soakPlaylist;
  DemoSettings = DemoSettingsRecord{};
  // Three passes' worth of frames: the third only runs far enough to end the second.
  const long perPass = kSceneCount * (kBudget + 2);
  runOptions = RunOptions{1 + 2 * perPass + 2 * (kBudget + 2), 1, false, 0, Watch};

  testing::internal::CaptureStdout();
  EXPECT_EQ(DemoMain(nullptr), 0);
  testing::internal::GetCapturedStdout();
  WinShutdown();
  ResetSequencer();
  runOptions = RunOptions{0, -1, false, 0, nullptr};
  std::filesystem::remove(settings);

  ASSERT_EQ(passesSeen, 2);
  // Every scene's records were freed at the end.
  EXPECT_EQ(MeshObjects.first, nullptr);
  EXPECT_EQ(Textures.first, nullptr);
  EXPECT_EQ(Sprites.first, nullptr);
  if (!kSanitized) {
    // The second pass may reuse what the allocator kept from the first, never grow past it.
    EXPECT_LE(residentAfterPass[1], residentAfterPass[0] + 256) << residentAfterPass[0] << " kB after the first pass";
  }
}
