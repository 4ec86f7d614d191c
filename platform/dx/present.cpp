// Showing a finished picture: to the frame sink that capture and tests read,
// and to the window's OS window through the backend's DxShowPicture
// (present_sdl.cpp natively).
#include "platform/dx/dx_internal.h"

void DxPresent(HWND window, bool, const std::uint16_t* pixels, int width, int height, int pitch) {
  if (width <= 0 || height <= 0) return;
  ++dxState.presented;
  if (dxState.sink) dxState.sink(DxFrame{pixels, width, height, pitch}, dxState.sinkUser);
  if (window) DxShowPicture(window, pixels, width, height, pitch);
}

DxPresentRect DxFitPicture(int width, int height, int areaWidth, int areaHeight) {
  DxPresentRect r{0, 0, areaWidth, areaHeight, false};
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return DxPresentRect{0, 0, 0, 0, true};
  // The largest rectangle of the picture's aspect that fits, centred.
  if (static_cast<long long>(areaWidth) * height > static_cast<long long>(areaHeight) * width) {
    r.width = static_cast<int>(static_cast<long long>(areaHeight) * width / height);
    r.x = (areaWidth - r.width) / 2;
  } else {
    r.height = static_cast<int>(static_cast<long long>(areaWidth) * height / width);
    r.y = (areaHeight - r.height) / 2;
  }
  // A whole-number scale is shown at exactly that scale, nearest-neighbour.
  const int whole = r.width / width;
  r.nearest = whole >= 1 && r.width == whole * width && r.height == whole * height;
  return r;
}

void DxSetFrameSink(DxFrameSink sink, void* user) {
  dxState.sink = sink;
  dxState.sinkUser = user;
}

std::uint64_t DxPresentedFrames() { return dxState.presented; }
double DxRasterSeconds() { return dxState.rasterSeconds; }

