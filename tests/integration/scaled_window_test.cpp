// The program in a real window at a render scale (under Xvfb in scripts/test):
// the window opens large enough for the picture when the display has room,
// "fit" picks the largest whole scale the display has room for, and the
// window shows the picture unchanged. What the window showed is kept as a PNG
// under <build>/scaled_window/ to look at.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/capture/png_write.h"
#include "platform/dialog/dialog_platform.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// SDL's X and D-Bus libraries keep allocations past their unloading.
struct ScaledLeakCheckPause {
  ScaledLeakCheckPause() { __lsan_disable(); }
  ~ScaledLeakCheckPause() { __lsan_enable(); }
};
#else
struct ScaledLeakCheckPause {
  ScaledLeakCheckPause() {}
};
#endif

namespace {

struct Look {
  int driver = 0;  // the dialog's entry: 0 the window, 1 full screen
  int scale = 0;   // the device's scale
  int width = 0, height = 0;  // the window's drawable size
  std::vector<std::uint8_t> rgb;  // what the window showed
  SDL_Rect display{}, usable{};   // the display's bounds, all and usable
} look;

void ChooseDriver(HWND dialog, int frame) {
  if (frame == 3) DialogUserChoose(dialog, 1000, look.driver);
  if (frame == 5) DialogUserClick(dialog, 1);
  if (frame == 300) DialogUserClose(dialog);  // never hang the test run
}

void LookAndClose(long frame) {
  auto* window = static_cast<SDL_Window*>(WinSdlWindow(mainWindow));
  if (!window || frame != 20) return;
  look.scale = DxRenderScaleOf(RenderDevice.directDraw);
  SDL_GetDisplayBounds(0, &look.display);
  SDL_GetDisplayUsableBounds(0, &look.usable);
  WinDrawableSize(mainWindow, &look.width, &look.height);
  int w = 0, h = 0;
  if (!DxReadWindowRgb888(mainWindow, look.rgb, &w, &h) || w != look.width || h != look.height) look.rgb.clear();
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(window);
  SDL_PushEvent(&e);
}

// Runs the demo on the display with the given driver and scale setting until
// the 20th frame; false when there is no display.
bool RunScaled(int driver, int scale, const char* name) {
  unsetenv("SDL_VIDEODRIVER");
  if (!WinStartup(WinBackend::Sdl)) return false;
  const fs::path settings = ProcessFolder(name) / "settings.reg";
  RegistrySetFile(settings.string());
  MusicSetOutput(MusicOutput::Silent);
  SetDataDirectory(KAVRET_TEST_DATA_DIR);
  ResetSequencer();
  DemoSettings = DemoSettingsRecord{};
  look = Look{};
  look.driver = driver;
  DxSetRenderScale(scale);
  runOptions = {.maxFrames = 60, .forceLooping = 0, .forceMusicOff = true, .onPresented = LookAndClose};
  DialogSetViewObserver(ChooseDriver);
  testing::internal::CaptureStdout();  // the model files' chunk listings
  EXPECT_EQ(DemoMain(nullptr), 0);
  testing::internal::GetCapturedStdout();
  WinShutdown();
  DialogSetViewObserver(nullptr);
  DxSetRenderScale(1);
  runOptions = {};
  if (!look.rgb.empty()) {
    const fs::path out = fs::path(KAVRET_BINARY_DIR) / "scaled_window";
    fs::create_directories(out);
    WritePngRgb((out / (std::string(name) + ".png")).string(), look.width, look.height, look.rgb);
  }
  return true;
}

// Non-black pixels of a packed RGB picture within [x0, x1) x [y0, y1).
long Lit(const std::vector<std::uint8_t>& rgb, int width, int x0, int y0, int x1, int y1) {
  long n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      n += (p[0] | p[1] | p[2]) != 0;
    }
  return n;
}

}  // namespace

TEST(ScaledWindow, OpensAtTheScaledSizeOrTheLargestThatFits) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  ScaledLeakCheckPause pause;
  // Scale 2 in a window: a window of 1280 x 960 when the display has room,
  // else the largest whole multiple of 640 x 480 that it has room for.
  ASSERT_TRUE(RunScaled(0, 2, "window-scale-2")) << SDL_GetError();
  const int fits = DxLargestFittingScale(look.usable.w, look.usable.h);
  const int shown = std::min(2, fits);
  EXPECT_EQ(look.scale, 2);
  EXPECT_EQ(look.width, 640 * shown);
  EXPECT_EQ(look.height, 480 * shown);
  ASSERT_FALSE(look.rgb.empty());
  EXPECT_GT(Lit(look.rgb, look.width, 0, 0, look.width, look.height), look.width * look.height / 2);

  // "fit" in a window: the largest scale the desktop has room for, the window that size.
  ASSERT_TRUE(RunScaled(0, kDxRenderScaleFit, "window-fit"));
  EXPECT_GE(fits, 1);
  EXPECT_EQ(look.scale, fits);
  EXPECT_EQ(look.width, 640 * fits);
  EXPECT_EQ(look.height, 480 * fits);
}

TEST(ScaledWindow, FullScreenFitRendersAtTheLargestScaleOfTheDisplayCentred) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  ScaledLeakCheckPause pause;
  ASSERT_TRUE(RunScaled(1, kDxRenderScaleFit, "full-screen-fit")) << SDL_GetError();
  const SDL_Rect display = look.display;
  ASSERT_GT(display.w, 0);
  const int fits = DxLargestFittingScale(display.w, display.h);
  EXPECT_EQ(look.scale, fits);
  // Without a window manager full screen may not be granted; when it is, the
  // picture sits unstretched in the middle with black bars around it.
  ASSERT_FALSE(look.rgb.empty());
  if (look.width == display.w && look.height == display.h) {
    const int x0 = (display.w - 640 * fits) / 2, y0 = (display.h - 480 * fits) / 2;
    EXPECT_EQ(Lit(look.rgb, look.width, 0, 0, look.width, y0), 0);
    EXPECT_EQ(Lit(look.rgb, look.width, 0, 0, x0, look.height), 0);
    EXPECT_GT(Lit(look.rgb, look.width, x0, y0, x0 + 640 * fits, y0 + 480 * fits), 640 * fits * 480 * fits / 2);
  }
}
