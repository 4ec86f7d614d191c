// Showing a finished picture in the SDL window behind the demo's window (scaled
// to its client area with the aspect kept), full screen, and reading the window
// back. The only file of the stand-in that knows SDL.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/dx/dx_internal.h"
#include "platform/win/win_platform.h"

namespace {

SDL_Surface* ToWindowFormat(SDL_Surface* picture, const SDL_Surface* target) {
  return SDL_ConvertSurface(picture, target->format, 0);
}

// The part of the window surface that the window really shows. SDL sizes the
// surface from the size it last asked for; the display may have given the
// window another (no full screen without a window manager, a resize not yet
// reported). Only the part inside both is seen.
SDL_Rect ShownArea(HWND window, const SDL_Surface* target) {
  SDL_Rect area{0, 0, target->w, target->h};
  int width = 0, height = 0;
  if (WinDrawableSize(window, &width, &height)) {
    if (width < area.w) area.w = width;
    if (height < area.h) area.h = height;
  }
  return area;
}

void PresentToSdl(HWND owner, SDL_Window* window, const std::uint16_t* pixels, int width, int height, int pitch) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return;
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(pixels), width, height,
                                                            16, pitch * 2, SDL_PIXELFORMAT_RGB565);
  if (!picture) return;
  SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  // The picture is placed in the window as it is now, never as it was asked to be.
  SDL_Rect area = ShownArea(owner, target);
  DxPresentRect fit = DxFitPicture(width, height, area.w, area.h);
  // A picture rendered at the scale that fits the display is shown as it is
  // (or at a whole multiple), centred, rather than stretched by a fraction.
  if (dxState.renderScale == kDxRenderScaleFit) {
    const int whole = std::min(area.w / width, area.h / height);
    if (whole >= 1) fit = DxPresentRect{(area.w - whole * width) / 2, (area.h - whole * height) / 2, whole * width,
                                        whole * height, true};
  }
  SDL_Rect dest{fit.x, fit.y, fit.width, fit.height};
  if (dest.w > 0 && dest.h > 0) {
    if (fit.nearest) {
      // A whole-number scale (or none): every pixel becomes a sharp block.
      if (dest.w == width && dest.h == height) SDL_BlitSurface(picture, nullptr, target, &dest);
      else SDL_BlitScaled(picture, nullptr, target, &dest);
    } else if (SDL_Surface* converted = ToWindowFormat(picture, target)) {
      // Any other scale is filtered, so that no row or column is doubled.
      if (SDL_SoftStretchLinear(converted, nullptr, target, &dest) != 0) {
        SDL_BlitScaled(converted, nullptr, target, &dest);
      }
      SDL_FreeSurface(converted);
    }
  }
  SDL_FreeSurface(picture);
  // Only what the window shows is sent to the display.
  if (area.w > 0 && area.h > 0) SDL_UpdateWindowSurfaceRects(window, &area, 1);
}

}  // namespace

void DxShowPicture(HWND window, const std::uint16_t* pixels, int width, int height, int pitch) {
  if (auto* sdl = static_cast<SDL_Window*>(WinSdlWindow(window))) PresentToSdl(window, sdl, pixels, width, height, pitch);
}

void DxSetSdlFullScreen(HWND window, bool fullScreen) {
  auto* sdl = static_cast<SDL_Window*>(window ? WinSdlWindow(window) : nullptr);
  if (!sdl) return;
  SDL_SetWindowFullscreen(sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

namespace {

// The display the window is on: all of it, or the part windows may use.
bool DisplayBounds(SDL_Window* sdl, bool whole, SDL_Rect* bounds) {
  const int display = std::max(0, SDL_GetWindowDisplayIndex(sdl));
  return (whole ? SDL_GetDisplayBounds(display, bounds) : SDL_GetDisplayUsableBounds(display, bounds)) == 0 &&
         bounds->w > 0 && bounds->h > 0;
}

// Room for a window's frame around its client area.
void LessBorders(SDL_Window* sdl, SDL_Rect* bounds) {
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(sdl, &top, &left, &bottom, &right) != 0) return;
  bounds->w -= left + right;
  bounds->h -= top + bottom;
}

}  // namespace

int DxSdlFitScale(HWND window, bool fullScreen) {
  auto* sdl = static_cast<SDL_Window*>(window ? WinSdlWindow(window) : nullptr);
  SDL_Rect bounds;
  if (!sdl || !DisplayBounds(sdl, fullScreen, &bounds)) return 0;
  if (!fullScreen) LessBorders(sdl, &bounds);
  return DxLargestFittingScale(bounds.w, bounds.h);
}

void DxSizeSdlWindowForScale(HWND window, int scale) {
  auto* sdl = static_cast<SDL_Window*>(window ? WinSdlWindow(window) : nullptr);
  if (!sdl || (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN)) return;
  const int fits = DxSdlFitScale(window, false);
  const int shown = fits > 0 ? std::min(scale, fits) : scale;
  SDL_SetWindowSize(sdl, 640 * shown, 480 * shown);
  const int display = std::max(0, SDL_GetWindowDisplayIndex(sdl));
  SDL_SetWindowPosition(sdl, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

bool DxReadWindowRgb888(HWND window, std::vector<std::uint8_t>& rgb, int* width, int* height) {
  auto* sdl = static_cast<SDL_Window*>(window ? WinSdlWindow(window) : nullptr);
  SDL_Surface* shown = sdl ? SDL_GetWindowSurface(sdl) : nullptr;
  if (!shown) return false;
  SDL_Surface* copy = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_RGB24, 0);
  if (!copy) return false;
  const SDL_Rect area = ShownArea(window, copy);
  rgb.resize(static_cast<size_t>(area.w) * static_cast<size_t>(area.h) * 3);
  for (int y = 0; y < area.h; ++y)
    std::memcpy(rgb.data() + static_cast<size_t>(y) * area.w * 3, static_cast<std::uint8_t*>(copy->pixels) + y * copy->pitch,
                static_cast<size_t>(area.w) * 3);
  *width = area.w;
  *height = area.h;
  SDL_FreeSurface(copy);
  return true;
}
