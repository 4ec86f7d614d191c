// Window creation, the window procedure and the frame loop: drain messages, keep
// the surfaces alive, update the scene, draw and present, step the sequencer.
#include "app/frame_loop.h"

#include <chrono>

#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/dx/ddraw.h"
#include "render/renderer.h"

FrameLoopState FrameLoop;
FrameLoopTimings frameTimings;
RunOptions runOptions;

namespace {

constexpr DWORD kMainWindowStyle = 0x80CB0000;  // pop-up, caption, system menu, min/max boxes
long presentedFrames = 0;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Options given for this run win over the stored settings, without being saved.
void ApplyRunOptions() {
  if (runOptions.forceMusicOff) DemoSettings.useSound = 0;
  if (runOptions.forceLooping >= 0) DemoSettings.isLooping = static_cast<std::uint8_t>(runOptions.forceLooping);
}

}  // namespace

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FrameLoop.instance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
      return 0;
    case WM_DESTROY:
      if (DemoSettings.useSound) ShutdownMusic();
      return 0;
    case WM_SIZE:
      return 1;
    case WM_ACTIVATE:
      return 0;
    case WM_PAINT:
      if (RenderDevice.deviceReady && RenderDevice.device) {
        RECT update;
        if (GetUpdateRect(window, &update, FALSE)) {
          PAINTSTRUCT paint;
          BeginPaint(window, &paint);
          EndPaint(window, &paint);
        }
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_WINDOWPOSCHANGED: {
      // The client rectangle is not read again: a resize keeps the old extent.
      POINT origin{0, 0};
      ClientToScreen(window, &origin);
      RenderDevice.windowScreenRect = RECT{origin.x, origin.y, origin.x + FrameLoop.clientRect.right,
                                           origin.y + FrameLoop.clientRect.bottom};
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) Sequencer.sceneFrameCounter = 99999;
      // Up and Down adjust a record that nothing in the program designates: no effect.
      return 0;
    case WM_KEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_QUERYNEWPALETTE:
      return 0;
    case WM_PALETTECHANGED:
      return reinterpret_cast<HWND>(wParam) == window ? 0 : 1;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool CreateMainWindow(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.cbWndExtra = 4;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(103));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "R5";
  if (!RegisterClassA(&wc)) return false;

  RenderDevice = RenderDeviceRecord{};
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};

  mainWindow = CreateWindowExA(0, "R5", "Ossik Kavret Demo", kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                               480, nullptr, nullptr, instance, nullptr);
  if (!mainWindow) return false;

  RECT desktop, frame;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(mainWindow, &frame);
  const int x = desktop.left + ((desktop.right - desktop.left) - (frame.right - frame.left)) / 2;
  const int y = desktop.top + ((desktop.bottom - desktop.top) - (frame.bottom - frame.top)) / 2;
  SetWindowPos(mainWindow, nullptr, x, y, 0, 0, SWP_NOSIZE);

  HDC dc = GetDC(mainWindow);
  RenderDevice.desktopBitsPerPixel = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(mainWindow, dc);

  if (!SetupDisplay()) return false;
  ApplyRunOptions();
  StartMusic(mainWindow);
  if (runOptions.startScene > 0 && runOptions.startScene < kSceneCount) Sequencer.sceneIndex = runOptions.startScene;

  GetClientRect(mainWindow, &FrameLoop.clientRect);
  POINT origin{0, 0};
  ClientToScreen(mainWindow, &origin);
  RenderDevice.windowScreenRect = RECT{origin.x, origin.y, origin.x + FrameLoop.clientRect.right,
                                       origin.y + FrameLoop.clientRect.bottom};
  RenderDevice.width = FrameLoop.clientRect.right;
  RenderDevice.height = FrameLoop.clientRect.bottom;

  RenderDevice.deviceReady = 1;
  UpdateWindow(mainWindow);
  return true;
}

bool RenderOneFrame() {
  BeginFrame();
  RenderFrame();
  EndFrame();
  return true;
}

bool RunFramePass(int* failures) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    FrameLoop.lastMessageParam = msg.wParam;
    if (!TranslateAcceleratorA(msg.hwnd, nullptr, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  // The window is gone (closed by the user or at the end of the demo).
  if (!IsWindow(mainWindow)) return false;

  if (RenderDevice.deviceReady && RenderDevice.fullScreen && RenderDevice.backBuffer) {
    const HRESULT status = RenderDevice.backBuffer->GetFlipStatus(DDGFS_ISFLIPDONE);
    FrameLoop.flipBusy = status != DD_OK;
    if (status == DDERR_SURFACELOST) {
      RenderDevice.backBuffer->Restore();
      if (RenderDevice.primarySurface->IsLost() == DDERR_SURFACELOST) RenderDevice.primarySurface->Restore();
    }
  } else {
    FrameLoop.flipBusy = 0;
  }

  if (!FrameLoop.updateDone) {
    const double start = Seconds();
    DispatchSceneUpdate();
    frameTimings.update += Seconds() - start;
    FrameLoop.updateDone = 1;
  }

  if (RenderDevice.quit || !RenderDevice.deviceReady || FrameLoop.flipBusy) return true;

  if (renderEnabled) {
    const double start = Seconds();
    if (!RenderOneFrame()) ++*failures;
    const double drawn = Seconds();
    if (!PresentFrame()) ++*failures;
    frameTimings.render += drawn - start;
    frameTimings.present += Seconds() - drawn;
    FrameLoop.updateDone = 0;
    ++presentedFrames;
    if (runOptions.onPresented) runOptions.onPresented(presentedFrames);
  }
  if (*failures > 2) return false;
  StepSequencer();
  if (runOptions.maxFrames > 0 && presentedFrames >= runOptions.maxFrames) return false;
  return true;
}

int DemoMain(HINSTANCE instance) {
  FrameLoop = FrameLoopState{};
  frameTimings = FrameLoopTimings{};
  presentedFrames = 0;
  if (!CreateMainWindow(instance)) return 1;
  int failures = 0;
  while (!RenderDevice.quit) {
    if (!RunFramePass(&failures)) break;
  }
  FreeAllRegistries();
  ShutdownDevice();
  // With --frames the window may still exist: close it so the music stops.
  if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
  Sleep(500);
  return static_cast<int>(FrameLoop.lastMessageParam);
}
