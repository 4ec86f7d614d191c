// Showing a finished picture on the page's canvas: the 5-6-5 picture becomes
// RGBA (the low bits filled from the high ones, as the capture's PNG frames
// have it) and goes to the canvas at its own size; the page's style sheet
// scales the canvas to the window with its aspect kept. Full screen is the
// page's business (the Fullscreen API), so the SDL-window calls do nothing.
#include <emscripten.h>

#include <vector>

#include "platform/dx/dx_internal.h"

EM_JS(void, WebShowRgba, (const std::uint8_t* rgba, int width, int height), {
  if (Module.kavretShow) Module.kavretShow(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});

namespace {
std::vector<std::uint8_t> rgba;
}

void DxShowPicture(HWND, const std::uint16_t* pixels, int width, int height, int pitch) {
  rgba.resize(static_cast<std::size_t>(width) * height * 4);
  std::uint8_t* out = rgba.data();
  for (int y = 0; y < height; ++y) {
    const std::uint16_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      *out++ = static_cast<std::uint8_t>(r << 3 | r >> 2);
      *out++ = static_cast<std::uint8_t>(g << 2 | g >> 4);
      *out++ = static_cast<std::uint8_t>(b << 3 | b >> 2);
      *out++ = 255;
    }
  }
  WebShowRgba(rgba.data(), width, height);
}

void DxSetSdlFullScreen(HWND, bool) {}
int DxSdlFitScale(HWND, bool) { return 0; }
void DxSizeSdlWindowForScale(HWND, int) {}
bool DxReadWindowRgb888(HWND, std::vector<std::uint8_t>&, int*, int*) { return false; }
