// The SDL2 backend of the window stand-in: real windows, whose key, close, move
// and expose events become the messages the window procedures expect.
#include <SDL.h>

#include <cstdlib>

#include "platform/win/win_backend.h"

namespace {

struct SdlState {
  bool videoStarted = false;
};
SdlState sdl;

WPARAM VirtualKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    default: break;
  }
  if (key >= 'a' && key <= 'z') return static_cast<WPARAM>(key - 'a' + 'A');
  if (key >= 0 && key < 128) return static_cast<WPARAM>(key);
  return 0;
}

void ToggleFullScreen(SDL_Window* window) {
  if (!window) return;
  const bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

HWND WindowOf(Uint32 windowId) { return WinBackendFindWindow(SDL_GetWindowFromID(windowId)); }

// A video driver that shows something to someone: SDL falls back to its
// offscreen driver when no real display answers.
bool RealVideoDriver() {
  const char* chosen = SDL_GetCurrentVideoDriver();
  return chosen && SDL_strcasecmp(chosen, "offscreen") != 0 && SDL_strcasecmp(chosen, "dummy") != 0;
}

bool DisplayNamed() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0)) return false;
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

bool SdlStartup() {
  if (sdl.videoStarted) return true;
  if (!DisplayNamed()) return false;
  // Window surfaces are the display's own framebuffer (shared memory images
  // under X), whose pixel (0, 0) is the window's top-left corner whatever size
  // SDL believes the window has. SDL's default under X draws the surface
  // through OpenGL, which anchors it at the bottom instead: after a full-screen
  // request that nobody granted, the window would show a part of the surface
  // that the presenter cannot know. Drawing is done on the CPU anyway.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // One connection, kept: an X server with no other client resets when the
  // last one closes and refuses connections for a moment, so probing first
  // and connecting again could miss it.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  if (!RealVideoDriver()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  sdl.videoStarted = true;
  return true;
}

void SdlLeaveSignalsAlone() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

void SdlShutdown() {
  if (!sdl.videoStarted) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  sdl.videoStarted = false;
}

void SdlDesktopSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *width = mode.w;
    *height = mode.h;
  }
}

int SdlDesktopBitsPerPixel() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
  const int bits = SDL_BITSPERPIXEL(mode.format);
  return bits == 24 ? 32 : bits;
}

bool SdlCreateWindow(const char* title, int x, int y, int width, int height, void** os) {
  *os = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  return *os != nullptr;
}

void SdlDestroyWindow(void* os) { SDL_DestroyWindow(static_cast<SDL_Window*>(os)); }

void SdlShowWindow(void* os, bool show) {
  if (show) {
    SDL_ShowWindow(static_cast<SDL_Window*>(os));
  } else {
    SDL_HideWindow(static_cast<SDL_Window*>(os));
  }
}

void SdlMoveWindow(void* os, int x, int y, int width, int height) {
  auto* w = static_cast<SDL_Window*>(os);
  SDL_SetWindowPosition(w, x, y);
  SDL_SetWindowSize(w, width, height);
}

void SdlPumpEvents() {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_KEYDOWN:
        // Alt+Enter switches between the window and full screen; the demo
        // itself never sees the key.
        if (e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT)) {
          if (e.key.repeat == 0) ToggleFullScreen(SDL_GetWindowFromID(e.key.windowID));
          break;
        }
        [[fallthrough]];
      case SDL_KEYUP: {
        const WPARAM vk = VirtualKey(e.key.keysym.sym);
        if (vk) WinBackendPost(WindowOf(e.key.windowID), e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 0);
        break;
      }
      case SDL_WINDOWEVENT: {
        HWND w = WindowOf(e.window.windowID);
        if (!w) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          WinBackendPost(w, WM_CLOSE, 0, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
          WinBackendInvalidate(w);
        } else if (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          auto* os = SDL_GetWindowFromID(e.window.windowID);
          int x = 0, y = 0, width = 0, height = 0;
          SDL_GetWindowPosition(os, &x, &y);
          SDL_GetWindowSize(os, &width, &height);
          SdlBackendDrawableSize(os, &width, &height);
          WinBackendMoved(w, x, y, width, height);
        }
        break;
      }
      case SDL_QUIT:
        // The session wants the program to end (or the last window was
        // closed, which its own close event already handles).
        WinBackendCloseAll();
        break;
      default:
        break;
    }
  }
}

void SdlSleep(DWORD milliseconds) { SDL_Delay(milliseconds); }

int SdlRefreshRate(void* os) {
  SDL_DisplayMode mode;
  if (SDL_GetWindowDisplayMode(static_cast<SDL_Window*>(os), &mode) != 0) return 0;
  return mode.refresh_rate;
}

}  // namespace

const WinBackendOps sdlWindowBackend = {
    .startup = SdlStartup,
    .shutdown = SdlShutdown,
    .desktopSize = SdlDesktopSize,
    .desktopBitsPerPixel = SdlDesktopBitsPerPixel,
    .createWindow = SdlCreateWindow,
    .destroyWindow = SdlDestroyWindow,
    .showWindow = SdlShowWindow,
    .moveWindow = SdlMoveWindow,
    .pumpEvents = SdlPumpEvents,
    .sleep = SdlSleep,
    .refreshRate = SdlRefreshRate,
    .drawableSize = SdlBackendDrawableSize,
    .leaveSignalsAlone = SdlLeaveSignalsAlone,
    .pacesFrames = true,
};
