// The set-up dialog on a real X display (Xvfb in scripts/test): the device
// set-up shows the dialog's view first, a person picks the driver, Alt+M turns
// the music off, Enter presses OK, and the choices are saved and used. The
// view's frame is kept as dialog.png in the build tree.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "device/display_drivers.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "device/setup_dialog.h"
#include "platform/capture/png_write.h"
#include "platform/dialog/dialog_platform.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/win/win_platform.h"
#include "registry_file.h"

namespace {

struct Seen {
  std::string title;
  bool ownerHidden = false;
  bool okEnabledAtFirst = true;
  bool resolutionGreyed = false;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
} seen;

void PushKey(SDL_Window* window, SDL_Scancode key, bool down, Uint16 modifiers) {
  SDL_SetModState(static_cast<SDL_Keymod>(down ? modifiers : 0));
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = key;
  e.key.keysym.sym = SDL_GetKeyFromScancode(key);
  e.key.keysym.mod = down ? modifiers : 0;
  SDL_PushEvent(&e);
}

// A person at the dialog. Key presses are spread over frames: the view sees a
// key go down in one frame and up in a later one.
void Person(HWND dialog, int frame) {
  auto* window = static_cast<SDL_Window*>(WinSdlWindow(dialog));
  switch (frame) {
    case 3:
      seen.title = SDL_GetWindowTitle(window);
      seen.ownerHidden = (SDL_GetWindowFlags(static_cast<SDL_Window*>(WinSdlWindow(mainWindow))) & SDL_WINDOW_SHOWN) == 0;
      seen.okEnabledAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
      seen.resolutionGreyed = IsWindowEnabled(GetDlgItem(dialog, IDC_RESOLUTION_LIST)) == FALSE;
      // Enter while OK is disabled does nothing.
      PushKey(window, SDL_SCANCODE_RETURN, true, 0);
      break;
    case 5: PushKey(window, SDL_SCANCODE_RETURN, false, 0); break;
    case 7:
      // The person opens the driver list and picks the desktop window driver.
      DialogUserChoose(dialog, IDC_DRIVER_LIST, 0);
      PushKey(window, SDL_SCANCODE_M, true, KMOD_LALT);
      break;
    case 9: PushKey(window, SDL_SCANCODE_M, false, 0); break;
    case 12: DialogViewReadPixels(seen.rgb, &seen.width, &seen.height); break;
    case 13: PushKey(window, SDL_SCANCODE_RETURN, true, 0); break;
    case 15: PushKey(window, SDL_SCANCODE_RETURN, false, 0); break;
    default: break;
  }
  // Never wait for ever should the keys not arrive.
  if (frame > 600) DialogUserClose(dialog);
}

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(DialogView, SetUpShowsTheDialogAndEnterAcceptsTheChoices) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  unsetenv("SDL_VIDEODRIVER");
  ASSERT_TRUE(WinStartup(WinBackend::Sdl)) << SDL_GetError();
  TempRegistry registry;
  SetDataDirectory(KAVRET_TEST_DATA_DIR);
  DemoSettings = DemoSettingsRecord{};

  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.lpszClassName = "R5";
  RegisterClassA(&wc);
  mainWindow = CreateWindowExA(0, "R5", "Ossik Kavret Demo", 0x80CB0000, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                               nullptr);
  ASSERT_NE(mainWindow, nullptr);
  RenderDevice = RenderDeviceRecord{};
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};

  DialogSetViewObserver(Person);
  const bool accepted = SetupDisplay();
  DialogSetViewObserver(nullptr);
  const bool ownerShown = (SDL_GetWindowFlags(static_cast<SDL_Window*>(WinSdlWindow(mainWindow))) & SDL_WINDOW_SHOWN) != 0;
  if (accepted) ShutdownDevice();
  WinShutdown();

  EXPECT_TRUE(accepted);
  EXPECT_EQ(seen.title, "Ossik Kavret Demo - Select Driver...");
  EXPECT_TRUE(seen.ownerHidden);
  EXPECT_TRUE(ownerShown);
  // No stored driver and no "3dfx" board: OK waits for a choice.
  EXPECT_FALSE(seen.okEnabledAtFirst);
  EXPECT_TRUE(seen.resolutionGreyed);
  EXPECT_EQ(selectedDriver, 0);
  EXPECT_FALSE(RenderDevice.fullScreen);
  EXPECT_EQ(displayDrivers[0].modes[selectedMode].width, 640);
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255(displayDrivers[0].description));
  EXPECT_EQ(registry.Read("Resolution").data, TempRegistry::Text255("640 x 480 x 16 x 0hz"));
  EXPECT_EQ(registry.Read("UseSound").data, std::vector<BYTE>{0});
  EXPECT_EQ(registry.Read("IsLooping").data, std::vector<BYTE>{1});

  ASSERT_EQ(seen.width, 411);
  ASSERT_EQ(seen.height, 284);
  const std::string png = std::string(KAVRET_BINARY_DIR) + "/dialog.png";
  EXPECT_TRUE(WritePngRgb(png, seen.width, seen.height, seen.rgb)) << png;
  // The face is dialog grey, and the banner is not.
  auto pixel = [](int x, int y) { return &seen.rgb[(static_cast<size_t>(y) * seen.width + x) * 3]; };
  EXPECT_EQ(pixel(405, 140)[0], 192);
  EXPECT_NE(pixel(200, 60)[0], 192);
}
