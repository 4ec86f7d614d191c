// The set-up dialog on a real X display (Xvfb in scripts/test): the device
// set-up shows the dialog's view first, a person picks the driver, Alt+M turns
// the music off, Enter presses OK, and the choices are saved and used. The
// view's frame is kept as dialog.png in the build tree.
//
// Each scenario runs in a child process that leaves with _exit: SDL's video
// subsystem leaves a few blocks of libdbus and of the X libraries it unloads
// unfreed (a bare SDL_Init/SDL_Quit program shows the same), which the leak
// checker of the sanitizer build would report at exit. Address errors still
// end the child with a failure.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

// What the child saw, sent back to the test through a pipe.
struct Seen {
  bool setUpAccepted = false;
  bool titleRight = false;
  bool ownerHidden = false;
  bool ownerShownAfter = false;
  bool okEnabledAtFirst = true;
  bool resolutionGreyed = false;
  bool fullScreen = true;
  bool screenshotWritten = false;
  int width = 0, height = 0;
} seen;

std::vector<std::uint8_t> frameRgb;

// Runs `scenario` in a child process and returns what it saw; false when the
// child did not finish normally.
bool RunInChild(void (*scenario)(), Seen* result) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    seen = Seen{};
    scenario();
    const bool sent = ::write(fds[1], &seen, sizeof seen) == static_cast<ssize_t>(sizeof seen);
    ::_exit(sent ? 0 : 3);
  }
  ::close(fds[1]);
  const bool read = child > 0 && ::read(fds[0], result, sizeof *result) == static_cast<ssize_t>(sizeof *result);
  ::close(fds[0]);
  int status = 0;
  if (child > 0) ::waitpid(child, &status, 0);
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CreateOwner() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return DefWindowProcA(window, message, wParam, lParam);
  };
  wc.lpszClassName = "R5";
  RegisterClassA(&wc);
  mainWindow = CreateWindowExA(0, "R5", "Ossik Kavret Demo", 0x80CB0000, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                               nullptr);
  RenderDevice = RenderDeviceRecord{};
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};
}

bool Shown(HWND window) {
  auto* os = static_cast<SDL_Window*>(WinSdlWindow(window));
  return os && (SDL_GetWindowFlags(os) & SDL_WINDOW_SHOWN) != 0;
}

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
      seen.titleRight = std::string(SDL_GetWindowTitle(window)) == "Ossik Kavret Demo - Select Driver...";
      seen.ownerHidden = !Shown(mainWindow);
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
    case 12:
      if (DialogViewReadPixels(frameRgb, &seen.width, &seen.height))
        seen.screenshotWritten =
            WritePngRgb(std::string(KAVRET_BINARY_DIR) + "/dialog.png", seen.width, seen.height, frameRgb);
      break;
    case 13: PushKey(window, SDL_SCANCODE_RETURN, true, 0); break;
    case 15: PushKey(window, SDL_SCANCODE_RETURN, false, 0); break;
    default: break;
  }
  // Never wait for ever should the keys not arrive.
  if (frame > 600) DialogUserClose(dialog);
}

}  // namespace

TEST(DialogView, SetUpShowsTheDialogAndEnterAcceptsTheChoices) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  unsetenv("SDL_VIDEODRIVER");
  TempRegistry registry;
  Seen result;
  ASSERT_TRUE(RunInChild(
      [] {
        if (!WinStartup(WinBackend::Sdl)) return;
        SetDataDirectory(KAVRET_TEST_DATA_DIR);
        DemoSettings = DemoSettingsRecord{};
        CreateOwner();
        DialogSetViewObserver(Person);
        seen.setUpAccepted = SetupDisplay();
        DialogSetViewObserver(nullptr);
        seen.ownerShownAfter = Shown(mainWindow);
        seen.fullScreen = RenderDevice.fullScreen;
        if (seen.setUpAccepted) ShutdownDevice();
        WinShutdown();
      },
      &result));

  EXPECT_TRUE(result.setUpAccepted);
  EXPECT_TRUE(result.titleRight);
  EXPECT_TRUE(result.ownerHidden);
  EXPECT_TRUE(result.ownerShownAfter);
  // No stored driver and no "3dfx" board: OK waits for a choice.
  EXPECT_FALSE(result.okEnabledAtFirst);
  EXPECT_TRUE(result.resolutionGreyed);
  EXPECT_FALSE(result.fullScreen);  // the desktop window driver
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("Desktop window (software RGB)"));
  EXPECT_EQ(registry.Read("Resolution").data, TempRegistry::Text255("640 x 480 x 16 x 0hz"));
  EXPECT_EQ(registry.Read("UseSound").data, std::vector<BYTE>{0});
  EXPECT_EQ(registry.Read("IsLooping").data, std::vector<BYTE>{1});

  ASSERT_TRUE(result.screenshotWritten);
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  ASSERT_TRUE(ReadPngRgb(std::string(KAVRET_BINARY_DIR) + "/dialog.png", &width, &height, rgb));
  ASSERT_EQ(width, 411);
  ASSERT_EQ(height, 284);
  // The face is dialog grey, and the banner is not.
  auto pixel = [&](int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; };
  EXPECT_EQ(pixel(405, 140)[0], 192);
  EXPECT_NE(pixel(200, 60)[0], 192);
}

TEST(DialogView, EscapeCancelsAndTheSetUpFails) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (scripts/test runs this under Xvfb)";
  unsetenv("SDL_VIDEODRIVER");
  TempRegistry registry;
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("Desktop"));
  registry.Write("UseSound", REG_DWORD, {1});
  const std::string before = registry.Text();
  Seen result;
  ASSERT_TRUE(RunInChild(
      [] {
        if (!WinStartup(WinBackend::Sdl)) return;
        CreateOwner();
        DialogSetViewObserver([](HWND dialog, int frame) {
          auto* window = static_cast<SDL_Window*>(WinSdlWindow(dialog));
          // The stored driver is preselected, so OK could be pressed; Escape cancels.
          if (frame == 3) seen.okEnabledAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
          if (frame == 3) PushKey(window, SDL_SCANCODE_ESCAPE, true, 0);
          if (frame == 5) PushKey(window, SDL_SCANCODE_ESCAPE, false, 0);
          if (frame > 600) DialogUserClose(dialog);
        });
        seen.setUpAccepted = SetupDisplay();
        DialogSetViewObserver(nullptr);
        WinShutdown();
      },
      &result));
  EXPECT_FALSE(result.setUpAccepted);
  EXPECT_TRUE(result.okEnabledAtFirst);
  EXPECT_EQ(registry.Text(), before);
}
