#include "x_readback.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

namespace {

bool ReadDrawable(Display* display, ::Window drawable, std::vector<std::uint8_t>& rgb, int* width, int* height) {
  ::Window root;
  int x = 0, y = 0;
  unsigned int w = 0, h = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, drawable, &root, &x, &y, &w, &h, &border, &depth) || w == 0 || h == 0) return false;
  XSync(display, False);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, drawable, &attributes) || !attributes.visual) return false;
  const Visual* visual = attributes.visual;
  if (!visual->red_mask || !visual->green_mask || !visual->blue_mask) return false;
  XImage* image = XGetImage(display, drawable, 0, 0, w, h, AllPlanes, ZPixmap);
  if (!image) return false;
  rgb.resize(static_cast<size_t>(w) * h * 3);
  for (unsigned int row = 0; row < h; ++row) {
    for (unsigned int col = 0; col < w; ++col) {
      const unsigned long pixel = XGetPixel(image, static_cast<int>(col), static_cast<int>(row));
      std::uint8_t* out = &rgb[(static_cast<size_t>(row) * w + col) * 3];
      out[0] = static_cast<std::uint8_t>((pixel & visual->red_mask) >> __builtin_ctzl(visual->red_mask));
      out[1] = static_cast<std::uint8_t>((pixel & visual->green_mask) >> __builtin_ctzl(visual->green_mask));
      out[2] = static_cast<std::uint8_t>((pixel & visual->blue_mask) >> __builtin_ctzl(visual->blue_mask));
    }
  }
  XDestroyImage(image);
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

bool X11Of(void* sdlWindow, SDL_SysWMinfo* info) {
  SDL_VERSION(&info->version);
  return sdlWindow && SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), info) &&
         info->subsystem == SDL_SYSWM_X11;
}

}  // namespace

bool XReadSdlWindow(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height, std::string* why) {
  SDL_SysWMinfo info;
  if (!X11Of(sdlWindow, &info)) {
    const char* driver = SDL_GetCurrentVideoDriver();
    *why = std::string("not an X window (video driver ") + (driver ? driver : "none") + "): " + SDL_GetError();
    return false;
  }
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes)) {
    *why = "no attributes";
    return false;
  }
  if (!ReadDrawable(info.info.x11.display, info.info.x11.window, rgb, width, height)) {
    *why = "XGetImage failed; window " + std::to_string(attributes.width) + "x" + std::to_string(attributes.height) +
           " at " + std::to_string(attributes.x) + "," + std::to_string(attributes.y) + ", map state " +
           std::to_string(attributes.map_state);
    return false;
  }
  return true;
}

bool XReadScreen(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height) {
  SDL_SysWMinfo info;
  return X11Of(sdlWindow, &info) &&
         ReadDrawable(info.info.x11.display, DefaultRootWindow(info.info.x11.display), rgb, width, height);
}
