// Presenting into a real SDL window: a frame copied to the windowed driver's
// primary surface must show in the window's client area, the picture scaled with
// its aspect kept. Runs on an X server: the one in DISPLAY, or a private Xvfb
// started for the test; skipped when neither is there.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "dx_test_device.h"
#include "platform/win/win_platform.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// The X libraries SDL loads keep allocations past their unloading; they are not
// ours to find. The other tests check the stand-in's own memory.
struct LeakCheckPause {
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
};
#else
struct LeakCheckPause {};
#endif

namespace {

// A private X server for the test, stopped again by the destructor.
struct PrivateXServer {
  pid_t pid = -1;
  PrivateXServer() {
    if (std::getenv("DISPLAY") && *std::getenv("DISPLAY")) return;
    const int number = 90 + static_cast<int>(getpid() % 500);
    const std::string display = ":" + std::to_string(number);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    pid = fork();
    if (pid == 0) {
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
      _exit(127);
    }
    if (pid < 0) return;
    struct stat st;
    for (int i = 0; i < 100 && stat(socket.c_str(), &st) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    setenv("DISPLAY", display.c_str(), 1);
  }
  ~PrivateXServer() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
      unsetenv("DISPLAY");
    }
  }
};

LRESULT TestWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

TEST(SdlPresent, AWindowedFrameReachesTheWindow) {
  // The test environment asks SDL for its dummy driver; this test wants X.
  unsetenv("SDL_VIDEODRIVER");
  [[maybe_unused]] const LeakCheckPause pause;
  PrivateXServer x;
  if (!WinStartup(WinBackend::Sdl)) {
    WinShutdown();
    GTEST_SKIP() << "no X display";
  }
  DxResetForTests();
  WNDCLASSA wc{};
  wc.lpfnWndProc = TestWindowProc;
  wc.lpszClassName = "R5sdl";
  RegisterClassA(&wc);
  // A client area twice as wide as the picture's aspect wants: bars left and right.
  HWND window = CreateWindowExA(0, "R5sdl", "present test", WS_POPUP, 0, 0, 640, 240, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);

  IDirectDraw* dd = nullptr;
  IDirectDraw2* dd2 = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  EXPECT_STREQ(dd->driver->description, "Desktop window (software RGB)");
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2)), DD_OK);
  ASSERT_EQ(dd2->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd2->CreateSurface(&desc, &primary, nullptr), DD_OK);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd2->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 640;
  desc.dwHeight = 480;
  desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE;
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(dd2->CreateSurface(&desc, &back, nullptr), DD_OK);

  // Red picture with a green right half.
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0xF800;
  ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  fx.dwFillColor = 0x07E0;
  RECT right{320, 0, 640, 480};
  ASSERT_EQ(back->Blt(&right, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  RECT screen{0, 0, 640, 240};
  ASSERT_EQ(primary->Blt(&screen, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);

  std::vector<std::uint8_t> shown;
  int w = 0, h = 0;
  ASSERT_TRUE(DxReadWindowRgb888(window, shown, &w, &h));
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 240);
  auto at = [&](int px, int py) {
    const std::uint8_t* p = &shown[(static_cast<size_t>(py) * w + px) * 3];
    return static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
  };
  // Each channel within `tolerance` of the expected colour.
  auto near = [](std::uint32_t got, std::uint32_t want, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
      if (a - b > tolerance || b - a > tolerance) return false;
    }
    return true;
  };
  // The 4:3 picture is 320 x 240 in the middle, black bars of 160 either side.
  // Half size is not a whole-number scale: the picture is filtered, which may
  // round a full channel down by a step.
  EXPECT_EQ(at(10, 120), 0x000000u);
  EXPECT_EQ(at(630, 120), 0x000000u);
  EXPECT_PRED3(near, at(200, 120), 0xFF0000u, 2);
  EXPECT_PRED3(near, at(440, 120), 0x00FF00u, 2);

  dd2->Release();
  dd->Release();
  DestroyWindow(window);
  WinShutdown();
  DxResetForTests();
}
