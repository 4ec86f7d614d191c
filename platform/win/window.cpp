// The window and message stand-in: window classes, windows with their window
// procedures, one message queue, and painting. The backend (a table of
// operations, see win_backend.h) supplies the OS windows and turns their events
// into messages.
#include <signal.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_backend.h"
#include "platform/win/win_platform.h"

struct WindowRecord {
  std::string className;
  std::string title;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // in screen coordinates; the client area fills the whole window
  bool visible = false;
  bool alive = true;
  bool invalid = false;     // needs a WM_PAINT
  bool closeAsked = false;  // sent WM_CLOSE because the program was asked to quit
  void* os = nullptr;       // backend window
};

struct InstanceRecord {};

namespace {

struct WindowClass {
  std::string name;
  WNDCLASSA wc;
};

// Every backend, by the name callers choose it with.
struct BackendEntry {
  WinBackend name;
  const WinBackendOps* ops;
};
const BackendEntry kBackends[] = {
    {WinBackend::Headless, &headlessWindowBackend},
#ifdef __EMSCRIPTEN__
    {WinBackend::Web, &webWindowBackend},
#else
    {WinBackend::Sdl, &sdlWindowBackend},
#endif
};

const WinBackendOps* Backend(WinBackend name) {
  for (const BackendEntry& entry : kBackends) {
    if (entry.name == name) return entry.ops;
  }
  return &headlessWindowBackend;
}

struct WinState {
  WinBackend backend = WinBackend::Headless;
  const WinBackendOps* ops = &headlessWindowBackend;
  bool started = false;
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<WindowRecord>> windows;  // records live until shutdown
  std::deque<MSG> queue;
  WinMessageObserver observer = nullptr;
  WindowRecord desktop;
};
WinState win;

// Set from the signal handler; read on the main thread when messages are taken.
volatile sig_atomic_t quitSignal = 0;
constexpr int kQuitSignals[] = {SIGINT, SIGTERM};

void OnQuitSignal(int signal) { quitSignal = signal; }

// Asks every window to close, once each, as its close box would.
void CloseEveryWindow() {
  for (auto& w : win.windows) {
    if (!w->alive || w->closeAsked) continue;
    w->closeAsked = true;
    PostMessageA(w.get(), WM_CLOSE, 0, 0);
  }
}

// A handle is only looked at when it names a window of ours: like the original
// platform's handles, a stale one is answered, never dereferenced.
bool Alive(HWND w) {
  if (!w) return false;
  for (const auto& record : win.windows) {
    if (record.get() == w) return w->alive;
  }
  return false;
}

const WindowClass* FindClass(LPCSTR name) {
  for (const auto& c : win.classes) {
    if (name && c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace

bool WinStartup(WinBackend backend) {
  if (win.started) WinShutdown();
  win.started = true;
  const bool ok = Backend(backend)->startup();
  win.backend = ok ? backend : WinBackend::Headless;
  win.ops = Backend(win.backend);
  int w = 1024, h = 768;
  win.ops->desktopSize(&w, &h);
  win.desktop = WindowRecord{};
  win.desktop.rect = RECT{0, 0, w, h};
  win.desktop.visible = true;
  return ok;
}

WinBackend WinCurrentBackend() { return win.backend; }

const WinBackendOps& WinBackendCurrent() { return *win.ops; }

void WinShutdown() {
  for (auto& w : win.windows) {
    if (w->os) win.ops->destroyWindow(w->os);
    w->os = nullptr;
    w->alive = false;
  }
  win.windows.clear();
  win.classes.clear();
  win.queue.clear();
  win.ops->shutdown();
  win.backend = WinBackend::Headless;
  win.ops = &headlessWindowBackend;
  win.started = false;
}

int WinDisplayRefreshRate(HWND window) {
  const int rate = Alive(window) && window->os ? win.ops->refreshRate(window->os) : 0;
  return rate > 0 ? rate : 60;
}

void* WinSdlWindow(HWND window) { return Alive(window) ? window->os : nullptr; }

bool WinDrawableSize(HWND window, int* width, int* height) {
  return Alive(window) && window->os && win.ops->drawableSize(window->os, width, height);
}

void WinCatchQuitSignals(bool catchThem) {
  quitSignal = 0;
  for (int signal : kQuitSignals) {
    struct sigaction now{};
    sigaction(signal, nullptr, &now);
    if (catchThem) {
      // A signal ignored by whoever started us (nohup, a background job)
      // stays ignored.
      if (now.sa_handler == SIG_IGN) continue;
      struct sigaction action{};
      action.sa_handler = OnQuitSignal;
      sigemptyset(&action.sa_mask);
      // Only the first one asks politely: a second one ends the process at
      // once, should the program not get round to closing.
      action.sa_flags = SA_RESETHAND;
      sigaction(signal, &action, nullptr);
    } else if (now.sa_handler == OnQuitSignal) {
      struct sigaction action{};
      action.sa_handler = SIG_DFL;
      sigemptyset(&action.sa_mask);
      sigaction(signal, &action, nullptr);
    }
  }
  if (catchThem) {
    for (const BackendEntry& entry : kBackends) entry.ops->leaveSignalsAlone();
  }
}

int WinQuitSignal() { return quitSignal; }

void WinBackendCloseAll() { CloseEveryWindow(); }

void WinSetMessageObserver(WinMessageObserver observer) { win.observer = observer; }

void WinBackendPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Alive(window)) PostMessageA(window, message, wParam, lParam);
}

HWND WinBackendFindWindow(void* os) {
  for (auto& w : win.windows) {
    if (w->alive && w->os == os) return w.get();
  }
  return nullptr;
}

void WinBackendMoved(HWND window, int x, int y, int width, int height) {
  if (!Alive(window)) return;
  const bool resized = width != window->rect.right - window->rect.left ||
                       height != window->rect.bottom - window->rect.top;
  window->rect = RECT{x, y, x + width, y + height};
  if (resized) SendMessageA(window, WM_SIZE, 0, (static_cast<LPARAM>(height) << 16) | width);
  SendMessageA(window, WM_WINDOWPOSCHANGED, 0, 0);
}

void WinBackendInvalidate(HWND window) {
  if (Alive(window)) window->invalid = true;
}

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || FindClass(wc->lpszClassName)) return 0;
  if (!win.started) WinStartup(WinBackend::Headless);
  win.classes.push_back(WindowClass{wc->lpszClassName, *wc});
  return static_cast<ATOM>(win.classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU menu, HINSTANCE instance, LPVOID param) {
  const WindowClass* cls = FindClass(className);
  if (!cls) return nullptr;
  auto record = std::make_unique<WindowRecord>();
  record->className = cls->name;
  record->title = windowName ? windowName : "";
  record->proc = cls->wc.lpfnWndProc;
  record->style = style;
  record->exStyle = exStyle;
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  record->rect = RECT{x, y, x + width, y + height};
  HWND w = record.get();
  win.windows.push_back(std::move(record));
  if (!win.ops->createWindow(w->title.c_str(), x, y, width, height, &w->os)) {
    w->alive = false;
    return nullptr;
  }
  CREATESTRUCTA cs{param, instance, menu, nullptr, height, width, y, x,
                   static_cast<LONG>(style), windowName, className, exStyle};
  if (SendMessageA(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  return w;
}

BOOL DestroyWindow(HWND window) {
  if (!Alive(window)) return FALSE;
  SendMessageA(window, WM_DESTROY, 0, 0);
  window->alive = false;
  window->visible = false;
  if (window->os) win.ops->destroyWindow(window->os);
  window->os = nullptr;
  // Messages still queued for it are dropped.
  std::erase_if(win.queue, [window](const MSG& m) { return m.hwnd == window; });
  return TRUE;
}

BOOL IsWindow(HWND window) { return Alive(window) || window == &win.desktop; }

BOOL ShowWindow(HWND window, int command) {
  if (!Alive(window)) return FALSE;
  const BOOL was = window->visible;
  window->visible = command != SW_HIDE;
  if (window->visible) window->invalid = true;
  if (window->os) win.ops->showWindow(window->os, window->visible);
  return was;
}

BOOL UpdateWindow(HWND window) {
  if (!Alive(window)) return FALSE;
  if (window->invalid && window->visible) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
  if (!Alive(window)) return FALSE;
  int width = window->rect.right - window->rect.left;
  int height = window->rect.bottom - window->rect.top;
  if (!(flags & SWP_NOSIZE)) {
    width = cx;
    height = cy;
  }
  if (window->os) win.ops->moveWindow(window->os, x, y, width, height);
  window->rect = RECT{x, y, x + width, y + height};
  SendMessageA(window, WM_WINDOWPOSCHANGED, 0, 0);
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (!IsWindow(window) || !rect) return FALSE;
  *rect = RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (!IsWindow(window) || !rect) return FALSE;
  *rect = window->rect;
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  if (!IsWindow(window) || !point) return FALSE;
  point->x += window->rect.left;
  point->y += window->rect.top;
  return TRUE;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  if (!Alive(window) || index != GWL_EXSTYLE) return 0;
  const LONG old = static_cast<LONG>(window->exStyle);
  window->exStyle = static_cast<DWORD>(value);
  return old;
}

LONG GetWindowLongA(HWND window, int index) {
  if (!Alive(window) || index != GWL_EXSTYLE) return 0;
  return static_cast<LONG>(window->exStyle);
}

HWND GetDesktopWindow() {
  if (!win.started) WinStartup(WinBackend::Headless);
  return &win.desktop;
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }
HGDIOBJ GetStockObject(int) { return nullptr; }

HDC GetDC(HWND window) { return IsWindow(window) ? static_cast<HDC>(window) : nullptr; }
int ReleaseDC(HWND, HDC) { return 1; }

int GetDeviceCaps(HDC dc, int index) {
  if (!dc || index != BITSPIXEL) return 0;
  return win.ops->desktopBitsPerPixel();
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL) {
  if (!Alive(window) || !window->invalid) {
    if (rect) *rect = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (rect) GetClientRect(window, rect);
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (!Alive(window)) return nullptr;
  if (paint) {
    paint->hdc = window;
    paint->fErase = FALSE;
    GetClientRect(window, &paint->rcPaint);
  }
  window->invalid = false;
  return window;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL PeekMessageA(MSG* msg, HWND window, UINT, UINT, UINT removeFlags) {
  win.ops->pumpEvents();
  if (quitSignal) CloseEveryWindow();
  auto matches = [window](const MSG& m) { return !window || m.hwnd == window; };
  auto it = std::find_if(win.queue.begin(), win.queue.end(), matches);
  if (it != win.queue.end()) {
    if (msg) *msg = *it;
    if (removeFlags & PM_REMOVE) win.queue.erase(it);
    if (win.observer && msg) win.observer(*msg);
    return TRUE;
  }
  // Like the original platform, a window that needs painting gets WM_PAINT
  // once the queue is empty, until it is validated.
  for (auto& w : win.windows) {
    if (w->alive && w->visible && w->invalid && (!window || window == w.get())) {
      MSG paint{w.get(), WM_PAINT, 0, 0, 0, {0, 0}};
      if (msg) *msg = paint;
      if (win.observer) win.observer(paint);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) { return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP); }

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !Alive(msg->hwnd)) return 0;
  return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

int TranslateAcceleratorA(HWND, HACCEL, MSG*) { return 0; }

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Alive(window)) return FALSE;
  win.queue.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Alive(window) || !window->proc) return 0;
  return window->proc(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      if (Alive(window)) window->invalid = false;
      return 0;
    default:
      return 0;
  }
}

void PostQuitMessage(int exitCode) {
  win.queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {0, 0}});
}

void Sleep(DWORD milliseconds) { win.ops->sleep(milliseconds); }
