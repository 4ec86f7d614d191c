// The headless window stand-in: window procedures, the queue, close and
// destroy, and the quit signals.
#include <signal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_platform.h"

namespace {

std::vector<UINT> received;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "Test";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Test", "t", 0, 10, 20, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(HeadlessWindow, CloseDestroysTheWindowThroughDefaultProcessing) {
  WinStartup(WinBackend::Headless);
  received.clear();
  HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(received, std::vector<UINT>{WM_CREATE});
  PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(w, WM_CLOSE, 0, 0);
  PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  // WM_DESTROY comes from inside WM_CLOSE; the key-up queued for the window is dropped.
  EXPECT_EQ(received, (std::vector<UINT>{WM_CREATE, WM_KEYDOWN, WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PostMessageA(w, WM_CLOSE, 0, 0));
  WinShutdown();
}

// Without a display the window backend is asked for and not given: the run
// goes on headless, windows and all, rather than half on a backend that never
// started.
TEST(HeadlessWindow, AWindowBackendWithoutADisplayFallsBackToHeadless) {
  std::string saved[2];
  const char* const names[2] = {"DISPLAY", "WAYLAND_DISPLAY"};
  for (int i = 0; i < 2; ++i) {
    if (const char* v = std::getenv(names[i])) saved[i] = v;
    unsetenv(names[i]);
  }
  EXPECT_FALSE(WinStartup(WinBackend::Sdl));
  EXPECT_EQ(WinCurrentBackend(), WinBackend::Headless);
  RECT desktop;
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
  EXPECT_EQ(desktop.right, 1024);
  EXPECT_EQ(desktop.bottom, 768);
  HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(WinSdlWindow(w), nullptr);
  EXPECT_EQ(GetDeviceCaps(GetDC(w), BITSPIXEL), 32);
  WinShutdown();
  for (int i = 0; i < 2; ++i) {
    if (!saved[i].empty()) setenv(names[i], saved[i].c_str(), 1);
  }
}

TEST(HeadlessWindow, GeometryAndPaint) {
  WinStartup(WinBackend::Headless);
  received.clear();
  HWND w = MakeWindow();
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  SetWindowPos(w, nullptr, 100, 50, 0, 0, SWP_NOSIZE);
  POINT p{0, 0};
  ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 50);
  EXPECT_EQ(received.back(), WM_WINDOWPOSCHANGED);

  // A shown window is painted once the queue is empty, until it is validated.
  ShowWindow(w, SW_SHOW);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessageA(&msg);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  WinShutdown();
}

TEST(HeadlessWindow, StaleHandlesAreAnsweredNotFollowed) {
  WinStartup(WinBackend::Headless);
  HWND w = MakeWindow();
  ASSERT_TRUE(IsWindow(w));
  WinShutdown();  // frees every window record
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PostMessageA(w, WM_CLOSE, 0, 0));
  EXPECT_FALSE(DestroyWindow(w));
  RECT r;
  EXPECT_FALSE(GetClientRect(w, &r));
}

// SIGINT and SIGTERM close every window once, as their close boxes would, when
// messages are next taken; a signal ignored before stays ignored.
TEST(QuitSignal, ClosesEveryWindowOnceAndLeavesIgnoredSignalsAlone) {
  WinStartup(WinBackend::Headless);
  received.clear();
  HWND first = MakeWindow();
  HWND second = CreateWindowExA(0, "Test", "u", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  struct sigaction before{};
  struct sigaction ignore{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &before);
  WinCatchQuitSignals(true);
  struct sigaction now{};
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_NE(now.sa_handler, SIG_DFL);

  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  raise(SIGTERM);
  EXPECT_EQ(WinQuitSignal(), SIGTERM);
  int closes = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_CLOSE) ++closes;
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(second));
  // The first signal put the default handling back: a second one would end
  // the process at once.
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);

  WinCatchQuitSignals(false);
  EXPECT_EQ(WinQuitSignal(), 0);
  sigaction(SIGINT, &before, nullptr);
  WinShutdown();
}
