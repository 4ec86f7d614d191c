// Between the window stand-in and its backends (platform/win only). A backend
// supplies the OS side of the stand-in's windows and is a table of operations
// in a file of its own: sdl_backend.cpp, headless_backend.cpp. Another backend
// is one more such file and table, a WinBackend value naming it, and its entry
// in the stand-in's list of backends (window.cpp).
#pragma once

#include "platform/win/win32.h"

struct WinBackendOps {
  // Opens the display; false when there is none to show windows on.
  bool (*startup)();
  void (*shutdown)();
  // The desktop's size; left as it is when unknown.
  void (*desktopSize)(int* width, int* height);
  int (*desktopBitsPerPixel)();
  // The OS window behind a new window into *os (null when the backend has no
  // OS windows); false when it cannot be made.
  bool (*createWindow)(const char* title, int x, int y, int width, int height, void** os);
  // These three are only called for a window with an OS window.
  void (*destroyWindow)(void* os);
  void (*showWindow)(void* os, bool show);
  void (*moveWindow)(void* os, int x, int y, int width, int height);
  // Turns the OS events that arrived into messages (through the calls below).
  void (*pumpEvents)();
  void (*sleep)(DWORD milliseconds);
  // The refresh rate of the display the window is on; 0 when unknown.
  int (*refreshRate)(void* os);
  // The window's size as the display has it now (may differ from what was
  // last asked for); false when unknown.
  bool (*drawableSize)(void* os, int* width, int* height);
  // Called on every backend, started or not, when the stand-in takes SIGINT
  // and SIGTERM over: a backend must not turn them into quit events itself.
  void (*leaveSignalsAlone)();
  // Frames are shown to someone as they come: live play paces them.
  bool pacesFrames;
};

extern const WinBackendOps headlessWindowBackend;
extern const WinBackendOps sdlWindowBackend;
// platform/web: in the WebAssembly build only.
extern const WinBackendOps webWindowBackend;

// The table of the backend running now.
const WinBackendOps& WinBackendCurrent();

// Called by a backend while it pumps events.
void WinBackendPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND WinBackendFindWindow(void* os);
void WinBackendMoved(HWND window, int x, int y, int width, int height);
void WinBackendInvalidate(HWND window);
// The session asks the program to quit: every window is asked to close.
void WinBackendCloseAll();

// The SDL backend's drawable size, kept in a file of its own (its X headers
// clash with the stand-in's names).
bool SdlBackendDrawableSize(void* os, int* width, int* height);
