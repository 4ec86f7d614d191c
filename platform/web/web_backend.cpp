// The web backend of the window stand-in: the demo's window is the page's
// canvas. Keys come from DOM events (the page calls kavret_web_key) and are
// queued until the frame loop takes messages, as OS events would be.
#include <emscripten.h>

#include <deque>

#include "platform/win/win_backend.h"

EM_JS(int, WebScreenWidth, (), { return (typeof screen != 'undefined' && screen.width) || 0; });
EM_JS(int, WebScreenHeight, (), { return (typeof screen != 'undefined' && screen.height) || 0; });
EM_JS(void, WebSetTitle, (const char* title), {
  if (typeof document != 'undefined') document.title = UTF8ToString(title);
});

namespace {

struct KeyEvent {
  WPARAM key;
  bool down;
};

struct WebWindowState {
  int canvas = 0;  // the address stands for the canvas
  std::deque<KeyEvent> keys;
};
WebWindowState web;

bool WebStartup() { return true; }
void WebShutdown() { web.keys.clear(); }

void WebDesktopSize(int* width, int* height) {
  *width = WebScreenWidth();
  *height = WebScreenHeight();
  if (*width <= 0 || *height <= 0) {
    *width = 1024;
    *height = 768;
  }
}

int WebDesktopBitsPerPixel() { return 32; }

bool WebCreateWindow(const char* title, int, int, int, int, void** os) {
  WebSetTitle(title);
  *os = &web.canvas;
  return true;
}

void WebDestroyWindow(void*) {}
void WebShowWindow(void*, bool) {}
void WebMoveWindow(void*, int, int, int, int) {}

void WebPumpEvents() {
  HWND window = WinBackendFindWindow(&web.canvas);
  while (!web.keys.empty()) {
    const KeyEvent key = web.keys.front();
    web.keys.pop_front();
    if (window) WinBackendPost(window, key.down ? WM_KEYDOWN : WM_KEYUP, key.key, 0);
  }
}

// The page cannot be blocked: waiting is the frame loop's business.
void WebSleep(DWORD) {}
int WebRefreshRate(void*) { return 0; }
bool WebDrawableSize(void*, int*, int*) { return false; }
void WebLeaveSignalsAlone() {}

}  // namespace

// A key went down or up on the page (a Win32 virtual-key code).
extern "C" EMSCRIPTEN_KEEPALIVE void kavret_web_key(int virtualKey, int down) {
  web.keys.push_back(KeyEvent{static_cast<WPARAM>(virtualKey), down != 0});
}

const WinBackendOps webWindowBackend = {
    .startup = WebStartup,
    .shutdown = WebShutdown,
    .desktopSize = WebDesktopSize,
    .desktopBitsPerPixel = WebDesktopBitsPerPixel,
    .createWindow = WebCreateWindow,
    .destroyWindow = WebDestroyWindow,
    .showWindow = WebShowWindow,
    .moveWindow = WebMoveWindow,
    .pumpEvents = WebPumpEvents,
    .sleep = WebSleep,
    .refreshRate = WebRefreshRate,
    .drawableSize = WebDrawableSize,
    .leaveSignalsAlone = WebLeaveSignalsAlone,
    .pacesFrames = true,
};
