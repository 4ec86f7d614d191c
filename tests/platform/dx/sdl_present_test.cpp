// Presenting into a real SDL window: a frame copied to the windowed driver's
// primary surface must show in the window's client area, the picture scaled with
// its aspect kept. Runs on a private Xvfb started for the test (or the display
// in DISPLAY when Xvfb cannot be started); skipped when neither is there.
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "dx_test_device.h"
#include "platform/capture/png_write.h"
#include "platform/win/win_platform.h"
#include "support/private_x_server.h"
#include "x_readback.h"

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

LRESULT TestWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// The windowed driver on a real window: primary surface clipped to the window
// and a 640 x 480 back buffer, as the demo sets them up.
struct WindowedPresenter {
  IDirectDraw* dd = nullptr;
  IDirectDraw2* dd2 = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* back = nullptr;
  HWND window = nullptr;

  explicit WindowedPresenter(HWND w) : window(w) {
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_STREQ(DxDriverOf(dd)->description, "Desktop window (software RGB)");
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2)), DD_OK);
    EXPECT_EQ(dd2->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(dd2->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawClipper* clipper = nullptr;
    EXPECT_EQ(dd2->CreateClipper(0, &clipper, nullptr), DD_OK);
    EXPECT_EQ(clipper->SetHWnd(0, window), DD_OK);
    EXPECT_EQ(primary->SetClipper(clipper), DD_OK);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 640;
    desc.dwHeight = 480;
    desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE;
    EXPECT_EQ(dd2->CreateSurface(&desc, &back, nullptr), DD_OK);
  }
  ~WindowedPresenter() {
    if (dd2) dd2->Release();
    if (dd) dd->Release();
  }
  void Fill(DWORD colour, const RECT* rect = nullptr) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    EXPECT_EQ(back->Blt(const_cast<RECT*>(rect), nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }
  // Copies the back buffer to the window, as the demo's windowed present does.
  void Present() {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT screen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    EXPECT_EQ(primary->Blt(&screen, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  }
};

struct Shown {
  std::vector<std::uint8_t> rgb;
  int width = 0, height = 0;
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
  }
};

// Each channel within `tolerance` of the expected colour.
bool Near(std::uint32_t got, std::uint32_t want, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
    if (a - b > tolerance || b - a > tolerance) return false;
  }
  return true;
}

// Lets SDL and the X server settle after a change of the window: events are
// taken for a while, as the frame loop would.
void Settle() {
  for (int i = 0; i < 30; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    SDL_Delay(10);
  }
}

void PushAltEnter(SDL_Window* window) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.keysym.sym = SDLK_RETURN;
  e.key.keysym.mod = KMOD_LALT;
  SDL_PushEvent(&e);
}

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
  {
    WindowedPresenter presenter(window);
    ASSERT_NE(presenter.back, nullptr);
    // Red picture with a green right half.
    presenter.Fill(0xF800);
    const RECT right{320, 0, 640, 480};
    presenter.Fill(0x07E0, &right);
    presenter.Present();

    Shown shown;
    ASSERT_TRUE(DxReadWindowRgb888(window, shown.rgb, &shown.width, &shown.height));
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 240);
    // The 4:3 picture is 320 x 240 in the middle, black bars of 160 either side.
    // Half size is not a whole-number scale: the picture is filtered, which may
    // round a full channel down by a step.
    EXPECT_EQ(shown.At(10, 120), 0x000000u);
    EXPECT_EQ(shown.At(630, 120), 0x000000u);
    EXPECT_PRED3(Near, shown.At(200, 120), 0xFF0000u, 2);
    EXPECT_PRED3(Near, shown.At(440, 120), 0x00FF00u, 2);
  }
  DestroyWindow(window);
  WinShutdown();
  DxResetForTests();
}

// Full screen is a request: without a window manager nobody grants it and the
// window keeps its size, while SDL takes it as done. Whatever the window really
// became, the whole picture must show in it, aspect kept. Read back from the X
// server, which shows what a person would see.
TEST(SdlPresent, AfterAFullScreenToggleThePictureFitsTheRealWindow) {
  unsetenv("SDL_VIDEODRIVER");
  [[maybe_unused]] const LeakCheckPause pause;
  // A server of its own: on a shared one another test's window may cover this
  // one, and the pixels read back would be that window's.
  PrivateXServer x;
  if (!x.Running()) GTEST_SKIP() << "Xvfb cannot be started";
  if (!WinStartup(WinBackend::Sdl)) {
    WinShutdown();
    GTEST_SKIP() << "no X display";
  }
  DxResetForTests();
  WNDCLASSA wc{};
  wc.lpfnWndProc = TestWindowProc;
  wc.lpszClassName = "R5toggle";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "R5toggle", "toggle test", WS_POPUP, 100, 80, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  auto* sdl = static_cast<SDL_Window*>(WinSdlWindow(window));
  ASSERT_NE(sdl, nullptr);
  {
    WindowedPresenter presenter(window);
    ASSERT_NE(presenter.back, nullptr);
    // Blue, with a green block in the top-left corner and a white one in the
    // bottom-right: both show only when the whole picture does.
    presenter.Fill(0x001F);
    const RECT topLeft{0, 0, 16, 16}, bottomRight{624, 464, 640, 480};
    presenter.Fill(0x07E0, &topLeft);
    presenter.Fill(0xFFFF, &bottomRight);
    Settle();

    // Alt+Enter twice: to full screen and back. After each, present and look.
    for (int toggle = 1; toggle <= 2; ++toggle) {
      SCOPED_TRACE(toggle == 1 ? "after asking for full screen" : "after asking for the window back");
      PushAltEnter(sdl);
      Settle();
      presenter.Present();
      Shown shown;
      std::string why;
      ASSERT_TRUE(XReadSdlWindow(sdl, shown.rgb, &shown.width, &shown.height, &why)) << why;
      // Where the picture belongs in the window as it really is.
      const DxPresentRect fit = DxFitPicture(640, 480, shown.width, shown.height);
      ASSERT_GT(fit.width, 0);
      const int left = fit.x, top = fit.y, right = fit.x + fit.width - 1, bottom = fit.y + fit.height - 1;
      EXPECT_PRED3(Near, shown.At(left + 2, top + 2), 0x00FF00u, 8);
      EXPECT_PRED3(Near, shown.At(right - 2, bottom - 2), 0xFFFFFFu, 8);
      EXPECT_PRED3(Near, shown.At(left + fit.width / 2, top + fit.height / 2), 0x0000FFu, 8);
      EXPECT_PRED3(Near, shown.At(right - 2, top + 2), 0x0000FFu, 8);
      EXPECT_PRED3(Near, shown.At(left + 2, bottom - 2), 0x0000FFu, 8);
      // Bars, if any, are black.
      if (fit.x > 0) {
        EXPECT_EQ(shown.At(fit.x / 2, shown.height / 2), 0x000000u);
      }
      if (fit.y > 0) {
        EXPECT_EQ(shown.At(shown.width / 2, fit.y / 2), 0x000000u);
      }
      // What the stand-in reports as shown is what the server shows.
      Shown reported;
      ASSERT_TRUE(DxReadWindowRgb888(window, reported.rgb, &reported.width, &reported.height));
      EXPECT_EQ(reported.width, shown.width);
      EXPECT_EQ(reported.height, shown.height);
      // A failure leaves the screen as it was in the build folder, to look at.
      Shown screen;
      if (::testing::Test::HasFailure() && XReadScreen(sdl, screen.rgb, &screen.width, &screen.height)) {
        const std::string path = std::string(KAVRET_BINARY_DIR) + "/sdl-present-toggle-" + std::to_string(toggle) + ".png";
        WritePngRgb(path, screen.width, screen.height, screen.rgb);
        ADD_FAILURE() << "the screen is in " << path;
      }
    }
  }
  DestroyWindow(window);
  WinShutdown();
  DxResetForTests();
}
