// The size a window really has on the display. SDL keeps its own idea of a
// window's size, which it updates when it asks for a change: under X with no
// window manager, a request for full screen makes SDL believe the window is as
// large as the screen while the server leaves it as it was. Under X the server
// is asked; elsewhere SDL's size is the best there is. Kept apart from the other
// backend code because the X headers define names (None, Bool, Window) that
// clash with the window stand-in's.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/win/win_backend.h"

bool SdlBackendDrawableSize(void* os, int* width, int* height) {
  auto* window = static_cast<SDL_Window*>(os);
  if (!window) return false;
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KAVRET_HAVE_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    ::Window root;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(info.info.x11.display, info.info.x11.window, &root, &x, &y, &w, &h, &border, &depth) && w > 0 &&
        h > 0) {
      *width = static_cast<int>(w);
      *height = static_cast<int>(h);
      return true;
    }
  }
#endif
  SDL_GetWindowSizeInPixels(window, width, height);
  return *width > 0 && *height > 0;
}
