// The program in a real window under an X server (Xvfb in scripts/test): the
// window and its title, Escape skipping a scene, Alt+Enter, closing the window.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/frame_loop.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/dialog/dialog_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// SDL's X and D-Bus libraries keep allocations past their unloading; they are
// not ours to find. The headless tests check the program's own memory.
struct LeakCheckPause {
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
};
#else
struct LeakCheckPause {
  LeakCheckPause() {}
};
#endif

namespace {

struct Seen {
  std::string title;
  bool shown = false;
  int sceneAtEscape = -1;
  int sceneAfterEscape = -1;
  bool fullScreenAfterAltEnter = false;
  bool windowedAfterSecondAltEnter = false;
} seen;

void PushKey(SDL_Window* window, SDL_Keycode key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.keysym.sym = key;
  SDL_PushEvent(&e);
}

void PushAltEnter(SDL_Window* window) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.keysym.sym = SDLK_RETURN;
  e.key.keysym.mod = KMOD_LALT;
  SDL_PushEvent(&e);
}

void PushClose(SDL_Window* window) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(window);
  SDL_PushEvent(&e);
}

void Drive(long frame) {
  auto* window = static_cast<SDL_Window*>(WinSdlWindow(mainWindow));
  if (!window) return;
  if (frame == 3) {
    seen.title = SDL_GetWindowTitle(window);
    seen.shown = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
    seen.sceneAtEscape = Sequencer.sceneIndex;
    PushKey(window, SDLK_ESCAPE);
  }
  if (frame == 8) {
    seen.sceneAfterEscape = Sequencer.sceneIndex;
    PushAltEnter(window);
  }
  if (frame == 12) {
    seen.fullScreenAfterAltEnter = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    PushAltEnter(window);
  }
  if (frame == 16) {
    seen.windowedAfterSecondAltEnter = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0;
    PushClose(window);
  }
}

// The set-up dialog shows first. On a first run no driver is preselected (none
// is a "3dfx" board): pick the windowed one and press OK, as a user would.
void PressOk(HWND dialog, int frame) {
  if (frame == 3) DialogUserChoose(dialog, 1000, 0);
  if (frame == 5) DialogUserClick(dialog, 1);
  if (frame == 300) DialogUserClose(dialog);  // never hang the test run
}

}  // namespace

TEST(RealWindow, OpensTitledWindowEscapeSkipsAndCloseEnds) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  unsetenv("SDL_VIDEODRIVER");
  LeakCheckPause pause;
  ASSERT_TRUE(WinStartup(WinBackend::Sdl)) << SDL_GetError();
  const fs::path settings = ProcessFolder("window") / "settings.reg";
  RegistrySetFile(settings.string());
  MusicSetOutput(MusicOutput::Silent);
  SetDataDirectory(KAVRET_TEST_DATA_DIR);
  ResetSequencer();
  DemoSettings = DemoSettingsRecord{};
  runOptions = {.maxFrames = 400, .forceLooping = 0, .forceMusicOff = true, .onPresented = Drive};
  DialogSetViewObserver(PressOk);

  const int result = DemoMain(nullptr);
  WinShutdown();
  DialogSetViewObserver(nullptr);
  runOptions = {};

  EXPECT_EQ(result, 0);
  EXPECT_EQ(seen.title, "Ossik Kavret Demo");
  EXPECT_TRUE(seen.shown);
  EXPECT_EQ(seen.sceneAtEscape, 0);
  EXPECT_EQ(seen.sceneAfterEscape, 1);
  EXPECT_TRUE(seen.fullScreenAfterAltEnter);
  EXPECT_TRUE(seen.windowedAfterSecondAltEnter);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_LT(Sequencer.sceneIndex, 2);
}
